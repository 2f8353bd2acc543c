// The window through SDL2: its video subsystem, the window's own pixels, which the canvas is
// copied into, and the keys the host answers, decoded into the host's own events.
#include <SDL.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>

#include "program/live/changed_rows.h"
#include "program/live/display.h"
#include "simhost/host_error.h"

namespace simhost {

namespace {

[[noreturn]] void failed(const std::string& what) {
    throw HostError(what + ": " + SDL_GetError());
}

// Whether the window keeps its pixels as the canvas does (bytes blue, green, red, alpha or
// unused), so that showing a row is a plain copy: X11 and Windows desktops at 24 or 32 bits.
bool keepsCanvasLayout(const SDL_Surface& surface) {
    return SDL_BYTEORDER == SDL_LIL_ENDIAN && (surface.format->format == SDL_PIXELFORMAT_ARGB8888 ||
                                               surface.format->format == SDL_PIXELFORMAT_RGB888);
}

// Without a desktop SDL falls back to drivers that draw nowhere, and the window would run unseen.
bool drawsNowhere(const char* driver) {
    return SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0;
}

bool driverChosenByUser() {
    return std::getenv("SDL_VIDEODRIVER") != nullptr;
}

// Where a desktop is named in the environment (X11, Wayland), rather than always there.
#if defined(_WIN32)
constexpr bool kDesktopNamedInEnvironment = false;
#else
constexpr bool kDesktopNamedInEnvironment = true;
#endif

// Why the desktops named in the environment could not be reached, in SDL's words:
// "DISPLAY=:1, x11: <why>".
std::string whyNoDesktop() {
    std::string why;
    for (const auto& [variable, driver] :
         {std::pair{"DISPLAY", "x11"}, std::pair{"WAYLAND_DISPLAY", "wayland"}}) {
        const char* display = std::getenv(variable);
        if (display == nullptr) {
            continue;
        }
        why +=
            std::string(why.empty() ? "" : "; ") + variable + "=" + display + ", " + driver + ": ";
        if (SDL_VideoInit(driver) == 0) {
            SDL_VideoQuit();
            why += "reached on a second try";
        } else {
            why += SDL_GetError();
        }
    }
    return why;
}

// A resizable window showing a canvas in the window's own pixels, which SDL sends to the
// desktop a rectangle at a time: the pixels the window holds are what it shows, so a frame is
// compared with them and only the rows that differ are copied and sent.
class SdlDisplay final : public Display {
public:
    SdlDisplay(Vector2 size, const std::string& title);
    SdlDisplay(const SdlDisplay&) = delete;
    SdlDisplay& operator=(const SdlDisplay&) = delete;
    ~SdlDisplay() override;

    Vector2 outputSize() const override;
    std::chrono::nanoseconds refreshPeriod() const override;
    void setTitle(const std::string& title) override;
    std::size_t show(const Canvas& canvas, const CanvasAreas& changed) override;
    std::vector<DisplayEvent> events() override;

private:
    void release() noexcept;
    std::size_t showScaled(const Canvas& canvas, SDL_Surface& surface);

    SDL_Window* window_ = nullptr;
    // Set when what the window holds may no longer be the last frame: at first, and after a
    // resize, an expose or a frame that was scaled.
    bool showAll_ = true;
    // The rectangles of this frame; kept to spare the heap frame after frame.
    std::vector<CanvasArea> copied_;
    std::vector<SDL_Rect> rects_;
};

SdlDisplay::SdlDisplay(Vector2 size, const std::string& title) {
    // A desktop is named in the environment; without one SDL would only try and fall back.
    if (kDesktopNamedInEnvironment && std::getenv("DISPLAY") == nullptr &&
        std::getenv("WAYLAND_DISPLAY") == nullptr && !driverChosenByUser()) {
        throw HostError(
            "cannot open a window: no display (neither DISPLAY nor WAYLAND_DISPLAY is set)");
    }
    // Requests to end are the program's to handle: SDL would turn them into a plain quit.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        failed("cannot open a window");
    }
    if (const char* driver = SDL_GetCurrentVideoDriver();
        drawsNowhere(driver) && !driverChosenByUser()) {
        const std::string fallback = driver;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        throw HostError("cannot open a window: no display SDL can reach (it fell back to " +
                        fallback + "; " + whyNoDesktop() + ")");
    }
    window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                               size.X, size.Y, SDL_WINDOW_RESIZABLE);
    if (window_ == nullptr || SDL_GetWindowSurface(window_) == nullptr) {
        const std::string why = SDL_GetError();
        release();
        throw HostError("cannot open a window: " + why);
    }
}

SdlDisplay::~SdlDisplay() {
    release();
}

void SdlDisplay::release() noexcept {
    if (window_ != nullptr) {
        SDL_DestroyWindow(window_);
    }
    window_ = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

Vector2 SdlDisplay::outputSize() const {
    Vector2 size{0, 0};
    SDL_GetWindowSize(window_, &size.X, &size.Y);
    return size;
}

std::chrono::nanoseconds SdlDisplay::refreshPeriod() const {
    SDL_DisplayMode mode{};
    const int display = SDL_GetWindowDisplayIndex(window_);
    return refreshPeriodAt(
        display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 ? mode.refresh_rate : 0);
}

void SdlDisplay::setTitle(const std::string& title) {
    SDL_SetWindowTitle(window_, title.c_str());
}

std::size_t SdlDisplay::show(const Canvas& canvas, const CanvasAreas& changed) {
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (surface == nullptr) {
        failed("cannot show the canvas");
    }
    if (surface->w != canvas.width() || surface->h != canvas.height() ||
        !keepsCanvasLayout(*surface)) {
        showAll_ = true;
        return showScaled(canvas, *surface);
    }
    const ShownPixels shown{static_cast<std::byte*>(surface->pixels), surface->pitch};
    if (showAll_) {
        copyAll(canvas, shown);
        if (SDL_UpdateWindowSurface(window_) != 0) {
            failed("cannot show the canvas");
        }
        showAll_ = false;
        return canvas.pixels().size_bytes();
    }
    copied_.clear();
    copyChanged(canvas, changed, shown, copied_);
    if (copied_.empty()) {
        return 0;
    }
    rects_.clear();
    for (const CanvasArea& area : copied_) {
        rects_.push_back({area.left, area.top, area.right - area.left, area.bottom - area.top});
    }
    if (SDL_UpdateWindowSurfaceRects(window_, rects_.data(), static_cast<int>(rects_.size())) !=
        0) {
        failed("cannot show the canvas");
    }
    return bytesIn(copied_);
}

// A canvas of another size than the window (one side past the largest, or a resize not yet
// answered), or a desktop in another layout: SDL scales and converts it, whole.
std::size_t SdlDisplay::showScaled(const Canvas& canvas, SDL_Surface& surface) {
    SDL_Surface* pixels = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<Rgba*>(canvas.pixels().data()), canvas.width(), canvas.height(), 32,
        canvas.width() * static_cast<int>(sizeof(Rgba)), SDL_PIXELFORMAT_ARGB8888);
    if (pixels == nullptr) {
        failed("cannot show the canvas");
    }
    // The frame underneath the overlay is opaque: nothing to blend with.
    SDL_SetSurfaceBlendMode(pixels, SDL_BLENDMODE_NONE);
    const bool shown = SDL_BlitScaled(pixels, nullptr, &surface, nullptr) == 0 &&
                       SDL_UpdateWindowSurface(window_) == 0;
    SDL_FreeSurface(pixels);
    if (!shown) {
        failed("cannot show the canvas");
    }
    return static_cast<std::size_t>(surface.h) * static_cast<std::size_t>(surface.pitch);
}

std::vector<DisplayEvent> SdlDisplay::events() {
    std::vector<DisplayEvent> happened;
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        if (event.type == SDL_QUIT) {
            happened.push_back(DisplayEvent::Quit);
        } else if (event.type == SDL_WINDOWEVENT &&
                   event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
            showAll_ = true;
            happened.push_back(DisplayEvent::Resized);
        } else if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED) {
            showAll_ = true;
        } else if (event.type == SDL_KEYDOWN && event.key.repeat == 0) {
            switch (event.key.keysym.sym) {
                case SDLK_ESCAPE:
                    happened.push_back(DisplayEvent::Quit);
                    break;
                case SDLK_F1:
                    happened.push_back(DisplayEvent::Flip);
                    break;
                case SDLK_F5:
                    happened.push_back(DisplayEvent::Reload);
                    break;
                case SDLK_F12:
                    happened.push_back(DisplayEvent::Screenshot);
                    break;
                default:
                    break;
            }
        }
    }
    return happened;
}

}  // namespace

bool displayAvailable() {
    return true;
}

std::unique_ptr<Display> openDisplay(Vector2 size, const std::string& title) {
    return std::make_unique<SdlDisplay>(size, title);
}

}  // namespace simhost
