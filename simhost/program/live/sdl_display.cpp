// The window through SDL2: its video subsystem, a software-rendered window and the keys the
// host answers, decoded into the host's own events.
#include <SDL.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>

#include "program/live/display.h"
#include "program/live/pixel_rows.h"
#include "program/values/number_parsers.h"
#include "simhost/host_error.h"

namespace simhost {

namespace {

[[noreturn]] void failed(const std::string& what) {
    throw HostError(what + ": " + SDL_GetError());
}

struct TextureFormat {
    std::uint32_t format;
    PixelLayout layout;
};

// The window's own format when the canvas can be written in it directly, so that presenting
// copies the pixels without converting them; else the canvas's layout, which SDL converts.
TextureFormat textureFormatFor(SDL_Window* window) {
    const std::uint32_t format = SDL_GetWindowPixelFormat(window);
    switch (format) {
        case SDL_PIXELFORMAT_ARGB8888:
        case SDL_PIXELFORMAT_RGB888:
            return {format, PixelLayout::ArgbWords};
        case SDL_PIXELFORMAT_XBGR8888:
            return {format, PixelLayout::CanvasBytes};
        default:
            return {SDL_PIXELFORMAT_RGBA32, PixelLayout::CanvasBytes};
    }
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

// A resizable window showing a canvas. The canvas goes to the screen through one streaming
// texture, made again only when the canvas size changes, written in the renderer's own format.
class SdlDisplay final : public Display {
public:
    SdlDisplay(Vector2 size, const std::string& title);
    SdlDisplay(const SdlDisplay&) = delete;
    SdlDisplay& operator=(const SdlDisplay&) = delete;
    ~SdlDisplay() override;

    Vector2 outputSize() const override;
    std::chrono::nanoseconds refreshPeriod() const override;
    void setTitle(const std::string& title) override;
    void show(const Canvas& canvas) override;
    std::vector<DisplayEvent> events() override;

private:
    void release() noexcept;

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    Vector2 textureSize_{0, 0};
    PixelLayout layout_ = PixelLayout::CanvasBytes;
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
    if (window_ != nullptr) {
        renderer_ = SDL_CreateRenderer(window_, -1, 0);
    }
    if (renderer_ == nullptr) {
        const std::string why = SDL_GetError();
        release();
        throw HostError("cannot open a window: " + why);
    }
}

SdlDisplay::~SdlDisplay() {
    release();
}

void SdlDisplay::release() noexcept {
    if (texture_ != nullptr) {
        SDL_DestroyTexture(texture_);
    }
    if (renderer_ != nullptr) {
        SDL_DestroyRenderer(renderer_);
    }
    if (window_ != nullptr) {
        SDL_DestroyWindow(window_);
    }
    texture_ = nullptr;
    renderer_ = nullptr;
    window_ = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

Vector2 SdlDisplay::outputSize() const {
    Vector2 size{0, 0};
    SDL_GetRendererOutputSize(renderer_, &size.X, &size.Y);
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

void SdlDisplay::show(const Canvas& canvas) {
    if (texture_ == nullptr || textureSize_.X != canvas.width() ||
        textureSize_.Y != canvas.height()) {
        if (texture_ != nullptr) {
            SDL_DestroyTexture(texture_);
        }
        const TextureFormat format = textureFormatFor(window_);
        texture_ = SDL_CreateTexture(renderer_, format.format, SDL_TEXTUREACCESS_STREAMING,
                                     canvas.width(), canvas.height());
        if (texture_ == nullptr) {
            failed("cannot make a " + canvasSizeText(canvas.size()) + " texture");
        }
        // The frame underneath the overlay is opaque: nothing to blend with.
        SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
        textureSize_ = canvas.size();
        layout_ = format.layout;
    }
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture_, nullptr, &pixels, &pitch) != 0) {
        failed("cannot show the canvas");
    }
    const auto width = static_cast<std::size_t>(canvas.width());
    for (int y = 0; y < canvas.height(); ++y) {
        copyRow(canvas.pixels().subspan(static_cast<std::size_t>(y) * width, width),
                reinterpret_cast<std::uint32_t*>(static_cast<char*>(pixels) +
                                                 static_cast<std::ptrdiff_t>(y) * pitch),
                layout_);
    }
    SDL_UnlockTexture(texture_);
    if (SDL_RenderCopy(renderer_, texture_, nullptr, nullptr) != 0) {
        failed("cannot show the canvas");
    }
    SDL_RenderPresent(renderer_);
}

std::vector<DisplayEvent> SdlDisplay::events() {
    std::vector<DisplayEvent> happened;
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        if (event.type == SDL_QUIT) {
            happened.push_back(DisplayEvent::Quit);
        } else if (event.type == SDL_WINDOWEVENT &&
                   event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
            happened.push_back(DisplayEvent::Resized);
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
