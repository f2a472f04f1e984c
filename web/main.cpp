// The browser's program: one game after another in the same page. A page never ends; each
// game's ending is shown there, and "Play again" starts the next one from a fresh start-up.
// Every game that ends with the score report is offered to the best scores, which the page
// shows from the browser's local storage.
#include "platform/host/web_host.h"
#include "shell/game_keeping.h"
#include "shell/program.h"

int main() {
    SetGameKeeping(GameKeeping{std::nullopt, {}, true});
    for (;;) host::web::AwaitNewGame(RunProgram());
}
