#include "shell/best_scores.h"

#include <cstdio>

#include "platform/key_script.h"
#include "platform/user_files.h"
#include "shell/daily_cave.h"

namespace {

// Version 2 added the cave; a table of version 1 still reads, its games on random caves.
constexpr const char* kHeader = "# cave best scores 2";
constexpr const char* kFirstHeader = "# cave best scores 1";
constexpr const char* kTableName = "scores.txt";
constexpr const char* kLockName = "scores.lock";

bool IsDate(const std::string& text) {
    const std::string shape = "dddd-dd-ddTdd:dd:dd";
    if (text.size() != shape.size()) return false;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (shape[i] == 'd' ? !digit : text[i] != shape[i]) return false;
    }
    return true;
}

// A plain name in the folder: nothing that could reach outside it.
bool IsDemoName(const std::string& name) {
    const std::string suffix = ".demo";
    if (name.size() <= suffix.size() ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return false;
    }
    for (const char c : name) {
        const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                           (c >= 'a' && c <= 'z') || c == '-' || c == '_' || c == '.';
        if (!plain) return false;
    }
    return name[0] != '.';
}

bool ParseEntry(const std::string& line, std::size_t fieldCount, BestScore& score) {
    const std::vector<std::string> fields = SplitFields(line);
    if (fields.size() != fieldCount) return false;
    score.Date = fields[1];
    score.DemoFile = fields[2];
    if (fieldCount == 4) score.Cave = fields[3];
    if (!ParseCaveLabel(score.Cave)) return false;
    const auto value = ParseDecimal(fields[0], 2147483647u);
    if (!value || !IsDate(score.Date) || !IsDemoName(score.DemoFile)) return false;
    score.Points = static_cast<std::int32_t>(*value);
    return true;
}

// False for anything this game did not write: another header, a bad line, too many entries,
// or entries out of order.
bool ParseTable(const std::string& text, std::vector<BestScore>& scores) {
    const std::vector<std::string> lines = SplitLines(text);
    if (lines.empty() || (lines[0] != kHeader && lines[0] != kFirstHeader)) return false;
    const std::size_t fieldCount = lines[0] == kHeader ? 4 : 3;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        BestScore score;
        if (!ParseEntry(line, fieldCount, score)) return false;
        if (!scores.empty() && scores.back().Points < score.Points) return false;
        scores.push_back(score);
    }
    return scores.size() <= kBestScoresKept;
}

std::string TableText(const std::vector<BestScore>& scores) {
    std::string text = std::string(kHeader) + "\n";
    for (const BestScore& score : scores) {
        text += std::to_string(score.Points) + " " + score.Date + " " + score.DemoFile + " " +
                score.Cave + "\n";
    }
    return text;
}

void Warn(const std::string& text) { std::fprintf(stderr, "cave: %s\n", text.c_str()); }

// The table as it stands, or a fresh one when the file is not a table (moved aside first, so
// nothing is lost). False when the table cannot be had without losing something.
bool LoadForUpdate(const std::string& path, std::vector<BestScore>& scores) {
    std::string text;
    const FileRead read = ReadTextFile(path, text);
    if (read == FileRead::Missing) return true;
    if (read == FileRead::Failed) {
        Warn("cannot read the best scores '" + path + "'; this score is not kept");
        return false;
    }
    if (ParseTable(text, scores)) return true;
    scores.clear();
    const std::string aside = MoveAside(path);
    if (aside.empty()) {
        Warn("the best scores '" + path +
             "' are damaged and cannot be moved aside; this score "
             "is not kept");
        return false;
    }
    Warn("the best scores '" + path + "' were damaged; kept as '" + aside + "', new table begun");
    return true;
}

// Where the new score goes among the kept ones; equal scores keep their older places.
std::size_t RankOf(const std::vector<BestScore>& scores, std::int32_t points) {
    std::size_t rank = 0;
    while (rank < scores.size() && scores[rank].Points >= points) ++rank;
    return rank;
}

// Named after the time and the process, and unlike every name in the table.
std::string NewDemoName(const std::vector<BestScore>& scores) {
    const std::string base = FileNameStamp() + "-" + std::to_string(ProcessNumber());
    for (int n = 1;; ++n) {
        std::string name = base;
        if (n > 1) name.append("-").append(std::to_string(n));
        name.append(".demo");
        bool taken = false;
        for (const BestScore& score : scores) taken = taken || score.DemoFile == name;
        if (!taken) return name;
    }
}

void UpdateTable(const std::string& folder, std::int32_t points, const std::string& demoText,
                 const std::string& cave) {
    const std::string path = JoinPath(folder, kTableName);
    std::vector<BestScore> scores;
    if (!LoadForUpdate(path, scores)) return;
    const std::size_t rank = RankOf(scores, points);
    if (rank >= kBestScoresKept) return;
    const BestScore entry{points, LocalDateTime(), NewDemoName(scores), cave};
    // The demo first: a table never names a demo that is not there.
    if (!ReplaceTextFile(JoinPath(folder, entry.DemoFile), demoText)) {
        Warn("cannot write a demo into '" + folder + "'; this score is not kept");
        return;
    }
    scores.insert(scores.begin() + static_cast<std::ptrdiff_t>(rank), entry);
    std::vector<BestScore> dropped(
        scores.begin() + static_cast<std::ptrdiff_t>(std::min(scores.size(), kBestScoresKept)),
        scores.end());
    scores.resize(std::min(scores.size(), kBestScoresKept));
    if (!ReplaceTextFile(path, TableText(scores))) {
        RemoveFile(JoinPath(folder, entry.DemoFile));
        Warn("cannot write the best scores '" + path + "'; this score is not kept");
        return;
    }
    for (const BestScore& gone : dropped) RemoveFile(JoinPath(folder, gone.DemoFile));
}

}  // namespace

ReadScores ReadBestScores(const std::string& folder) {
    ReadScores read;
    const std::string path = JoinPath(folder, kTableName);
    std::string text;
    const FileRead result = ReadTextFile(path, text);
    if (result == FileRead::Failed) read.Error = "cannot read '" + path + "'";
    if (result == FileRead::Read && !ParseTable(text, read.Scores)) {
        read.Scores.clear();
        read.Error = "'" + path + "' is not a table of best scores";
    }
    return read;
}

void AddBestScore(const std::string& folder, std::int32_t points, const std::string& demoText,
                  const std::string& cave) {
    if (folder.empty()) {
        Warn("no folder for the best scores (no home folder is set); this score is not kept");
        return;
    }
    if (!MakeFolders(folder)) {
        Warn("cannot make the folder '" + folder + "'; this score is not kept");
        return;
    }
    // Two games ending at once take turns: neither score is lost.
    const FileLock lock(JoinPath(folder, kLockName));
    if (!lock.Held()) {
        Warn("cannot lock the best scores in '" + folder + "'; this score is not kept");
        return;
    }
    UpdateTable(folder, points, demoText, cave);
}

std::string BestScoresText(const std::string& folder, const std::vector<BestScore>& scores) {
    if (scores.empty()) return "No best scores yet (" + folder + ").\n";
    std::string text = "rank  points  date                 cave              demo\n";
    for (std::size_t i = 0; i < scores.size(); ++i) {
        char line[96];
        std::snprintf(line, sizeof line, "%4zu  %6d  %s  %-16s  ", i + 1, scores[i].Points,
                      scores[i].Date.c_str(), scores[i].Cave.c_str());
        text += line + JoinPath(folder, scores[i].DemoFile) + "\n";
    }
    return text;
}
