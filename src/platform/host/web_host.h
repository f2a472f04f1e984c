// What the browser's program needs of the web host beyond the seam: the page's say between
// games.
#pragma once

namespace host::web {

// Tells the page that a game has ended with this exit status, and waits until the player asks
// the page for another one.
void AwaitNewGame(int status);

}  // namespace host::web
