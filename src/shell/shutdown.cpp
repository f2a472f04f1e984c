#include "shell/shutdown.h"

#include <charconv>

#include "cave/cave.h"
#include "game/player.h"
#include "platform/display.h"
#include "platform/keyboard.h"
#include "platform/system.h"
#include "shell/score_report.h"

namespace {

void ShowErrorBox(std::int32_t code) {
    char text[32] = "Fehler Nr.";
    constexpr std::size_t prefix = sizeof("Fehler Nr.") - 1;
    std::to_chars(text + prefix, text + sizeof(text) - 1, code);
    ShowMessageBox("ERROR", text);
}

}  // namespace

void ShutDown() {
    ReleaseKeyboard();
    ShutdownDisplaySystem();
    CloseAllWindows();
    ListDestroy(PlayerList);
    ListDestroy(ColumnList);
}

void ShowMessageBox(const char* title, const char* text) { ShowModalMessage(title, text); }

int EndProgram(const GameOutcome& outcome) {
    if (outcome.How == GameOutcome::Ending::Report) {
        ShowMessageBox("Game Over!", ScoreReportText(outcome.Scores).c_str());
    }
    if (outcome.How == GameOutcome::Ending::Fatal) ShowErrorBox(outcome.Error);
    ShutDown();
    // A failed start ends with its error number, so that it is never mistaken for a game.
    return outcome.How == GameOutcome::Ending::Fatal ? outcome.Error : 0;
}
