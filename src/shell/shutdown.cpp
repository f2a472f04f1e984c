#include <charconv>

#include "cave/cave.h"
#include "platform/display.h"
#include "platform/keyboard.h"
#include "platform/system.h"
#include "shell/player.h"
#include "shell/program.h"

void EndProgram(int status) {
    ReleaseKeyboard();
    ShutdownDisplaySystem();
    CloseAllWindows();
    ListDestroy(PlayerList);
    ListDestroy(ColumnList);
    EndProcess(status);
}

void ShowMessageBox(const char* title, const char* text) { ShowModalMessage(title, text); }

void ErrorExit(std::int32_t code) {
    char text[32] = "Fehler Nr.";
    constexpr std::size_t prefix = sizeof("Fehler Nr.") - 1;
    std::to_chars(text + prefix, text + sizeof(text) - 1, code);
    ShowMessageBox("ERROR", text);
    EndProgram(code);
}
