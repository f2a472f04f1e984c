// The best scores: the ten best games of this user, each with its demo as proof, kept in the
// user's data folder. Writing them never stops the game: problems are told on standard error in
// one line, and the game plays on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline constexpr std::size_t kBestScoresKept = 10;

struct BestScore {
    std::int32_t Points = 0;
    std::string Date;             // local time, "YYYY-MM-DDTHH:MM:SS"
    std::string DemoFile;         // in the same folder as the table
    std::string Cave = "random";  // which cave the game flew: see CaveLabel
};

// The table of `folder`, best first; an error text when it cannot be read or is not a table.
struct ReadScores {
    std::vector<BestScore> Scores;
    std::string Error;
};
ReadScores ReadBestScores(const std::string& folder);

// Enters a finished game when it is among the ten best; its demo is kept beside the table and
// the demos of the games it pushes out are removed.
void AddBestScore(const std::string& folder, std::int32_t points, const std::string& demoText,
                  const std::string& cave = "random");

// The table as `cave --scores` prints it: rank, points, date, cave and demo file a line.
std::string BestScoresText(const std::string& folder, const std::vector<BestScore>& scores);
