#include <string>

#include "shell/game_keeping.h"
#include "shell/player.h"
#include "shell/program.h"

std::string ScoreReportText() {
    std::string text = "Spielstand:\n\n";
    std::int32_t n = 0;
    ListReset(PlayerList);
    while (const Player* player = ListNext(PlayerList)) {
        // Players are numbered by their place in the list, not by their image.
        ++n;
        text += "Player " + std::to_string(n) + ": " + std::to_string(player->Score / 1000) +
                " Punkte\n";
    }
    return text;
}

void ShowScoreReport() {
    KeepGame(PlayerList.First->Rec.Score / 1000);
    {
        const std::string text = ScoreReportText();
        ShowMessageBox("Game Over!", text.c_str());
    }
    EndProgram(0);
}
