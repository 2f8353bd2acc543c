#pragma once

#include <chrono>
#include <stdexcept>
#include <string>

#include "bakkesmod/vector2.h"
#include "program/live/pixel_rows.h"
#include "simhost/services/canvas.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

namespace simhost {

// SDL could not do what was asked; what() says what and SDL's own words for why.
class SdlFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A resizable window on the desktop showing a canvas. The canvas goes to the screen through one
// streaming texture, made again only when the canvas size changes, written in the renderer's own
// format.
class SdlWindow {
public:
    // Throws SdlFailure when there is no display or SDL cannot open the window.
    SdlWindow(Vector2 size, const std::string& title);
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;
    ~SdlWindow();

    // The size of what the window shows, in pixels.
    Vector2 outputSize() const;
    // The time between two refreshes of the display the window is on; 60 Hz when it cannot tell.
    std::chrono::nanoseconds refreshPeriod() const;
    void setTitle(const std::string& title);

    // Uploads the canvas and presents it, scaled to the window. Throws SdlFailure.
    void show(const Canvas& canvas);

private:
    void release() noexcept;

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    Vector2 textureSize_{0, 0};
    PixelLayout layout_ = PixelLayout::CanvasBytes;
};

}  // namespace simhost
