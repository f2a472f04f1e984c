#include "platform/host/sdl/sdl_present.h"

namespace host {
namespace {

// The back buffer is 0x00RRGGBB in memory: SDL calls that layout RGB888.
constexpr Uint32 kBackBufferFormat = SDL_PIXELFORMAT_RGB888;

// The plain window surface is the cheapest present: a GPU texture path costs several times
// more per frame. It fails where SDL cannot describe the screen's pixels, as on 30-bit screens.
bool OpenSurfacePath(SdlPresenter& presenter, SDL_Window* window) {
    if (!SDL_GetWindowSurface(window)) return false;
    // The pixel pointer is filled in at every present.
    presenter.Source = SDL_CreateRGBSurfaceWithFormatFrom(
        nullptr, presenter.Width, presenter.Height, 32, presenter.Width * 4, kBackBufferFormat);
    if (!presenter.Source) return false;
    SDL_SetSurfaceBlendMode(presenter.Source, SDL_BLENDMODE_NONE);
    return true;
}

// A renderer converts on its own side, whatever the screen. No vsync: it would fight the
// game's own pacing. Nearest-pixel scaling, as the surface blit scales.
bool OpenRendererPath(SdlPresenter& presenter, SDL_Window* window) {
    presenter.Renderer = SDL_CreateRenderer(window, -1, 0);
    if (!presenter.Renderer) return false;
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    presenter.Texture =
        SDL_CreateTexture(presenter.Renderer, kBackBufferFormat, SDL_TEXTUREACCESS_STREAMING,
                          presenter.Width, presenter.Height);
    if (!presenter.Texture) return false;
    SDL_SetTextureBlendMode(presenter.Texture, SDL_BLENDMODE_NONE);
    return true;
}

void BlitToSurface(SdlPresenter& presenter, SDL_Window* window, const std::uint32_t* pixels,
                   const SDL_Rect& to) {
    SDL_Surface* screen = SDL_GetWindowSurface(window);
    if (!screen) return;
    // SDL only reads the source; the wrapper is never written through.
    presenter.Source->pixels = const_cast<std::uint32_t*>(pixels);
    // A new surface holds whatever it was made with; outside the picture it must be black.
    if (presenter.Clear) SDL_FillRect(screen, nullptr, 0);
    presenter.Clear = false;
    SDL_Rect dest = to;
    if (to.w == presenter.Width && to.h == presenter.Height) {
        SDL_BlitSurface(presenter.Source, nullptr, screen, &dest);
    } else {
        SDL_BlitScaled(presenter.Source, nullptr, screen, &dest);
    }
    SDL_UpdateWindowSurface(window);
}

void CopyToRenderer(SdlPresenter& presenter, const std::uint32_t* pixels, const SDL_Rect& to) {
    SDL_UpdateTexture(presenter.Texture, nullptr, pixels, presenter.Width * 4);
    // The renderer's buffer holds nothing defined between frames; the window surface outside
    // the picture stays black, so this does too.
    SDL_RenderClear(presenter.Renderer);
    SDL_RenderCopy(presenter.Renderer, presenter.Texture, nullptr, &to);
    SDL_RenderPresent(presenter.Renderer);
}

}  // namespace

bool OpenPresenter(SdlPresenter& presenter, SDL_Window* window, int width, int height) {
    ClosePresenter(presenter);
    presenter.Width = width;
    presenter.Height = height;
    if (OpenSurfacePath(presenter, window)) return true;
    ClosePresenter(presenter);
    if (OpenRendererPath(presenter, window)) return true;
    ClosePresenter(presenter);
    return false;
}

void ClosePresenter(SdlPresenter& presenter) {
    SDL_FreeSurface(presenter.Source);
    if (presenter.Texture) SDL_DestroyTexture(presenter.Texture);
    if (presenter.Renderer) SDL_DestroyRenderer(presenter.Renderer);
    presenter.Source = nullptr;
    presenter.Texture = nullptr;
    presenter.Renderer = nullptr;
}

void PresentPixels(SdlPresenter& presenter, SDL_Window* window, const std::uint32_t* pixels,
                   int width, int height, const SDL_Rect& to) {
    if (width != presenter.Width || height != presenter.Height) return;
    if (presenter.Source) BlitToSurface(presenter, window, pixels, to);
    if (presenter.Texture) CopyToRenderer(presenter, pixels, to);
}

}  // namespace host
