// How the SDL host shows the back buffer: through the window surface where the surface can take
// the screen's pixel format, else through a renderer and a streaming texture.
#pragma once

#include <SDL.h>

#include <cstdint>

namespace host {

// A member of the host's state: at most one of the two paths is open.
struct SdlPresenter {
    SDL_Surface* Source = nullptr;     // surface path: wraps the back buffer presented each frame
    SDL_Renderer* Renderer = nullptr;  // renderer path
    SDL_Texture* Texture = nullptr;    // renderer path: the back buffer's copy
    int Width = 0;                     // the back buffer's size
    int Height = 0;
    bool Clear = false;  // the window changed size: black it out before the next picture
};

// Opens the first path that works on this window. False when none does.
bool OpenPresenter(SdlPresenter& presenter, SDL_Window* window, int width, int height);
void ClosePresenter(SdlPresenter& presenter);
// Shows a width x height 0x00RRGGBB picture at `to` in the window; nothing when the presenter
// is closed or was opened for another size.
void PresentPixels(SdlPresenter& presenter, SDL_Window* window, const std::uint32_t* pixels,
                   int width, int height, const SDL_Rect& to);

}  // namespace host
