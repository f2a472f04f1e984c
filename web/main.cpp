// The browser's program: one game after another in the same page. A page never ends; each
// game's ending is shown there, and "Play again" starts the next one from a fresh start-up.
#include "platform/host/web_host.h"
#include "shell/program.h"

int main() {
    for (;;) host::web::AwaitNewGame(RunProgram());
}
