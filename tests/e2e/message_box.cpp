// Shows one message box the way the desktop host does, with the title and text given on the
// command line, so that a test can compare the game's box with the box it should be.
#include <SDL.h>

int main(int argc, char** argv) {
    if (argc != 3 || SDL_Init(SDL_INIT_VIDEO) != 0) return 2;
    const int shown =
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, argv[1], argv[2], nullptr);
    SDL_Quit();
    return shown == 0 ? 0 : 1;
}
