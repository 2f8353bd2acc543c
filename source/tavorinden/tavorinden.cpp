#include "tavorinden.h"

#include <cstddef>
#include <sstream>
#include <string>

std::shared_ptr<Tavorinden> pluginInstance;

extern "C" {

PluginExportRecord exports = {
    .hostApiVersion = kHostApiVersion,
    .sourcePath = __FILE__,
    .typeName = "Tavorinden",
    .displayName = "Tavorinden",
    .versionText = TAVORINDEN_VERSION,
    .pluginKind = 0,
    .createEntry = &getPlugin,
    .deleteEntry = &deleteMe,
};

std::uintptr_t BAKKESMOD_ENTRY getPlugin() {
    if (!pluginInstance) {
        // The object, then its shared count: should the count not be allocated, the handle
        // deletes the new object itself.
        // NOLINTNEXTLINE(modernize-make-shared)
        pluginInstance = std::shared_ptr<Tavorinden>(new Tavorinden());
    }
    return reinterpret_cast<std::uintptr_t>(&pluginInstance);
}

void BAKKESMOD_ENTRY deleteMe() {
    pluginInstance.reset();
}

}  // extern "C"

void Tavorinden::onLoad() {
    // Read through the record at run time, so the line always shows what the record holds.
    std::ostringstream versionLine;
    versionLine << exports.displayName << " version: " << exports.versionText;
    cvarManagerPtr->log(versionLine.str());

    coverEnabled = std::make_shared<bool>(true);

    cvarManagerPtr
        ->registerCvar("cl_tavorinden", "1", "Tavorinden!", true, true, 0.0f, true, 1.0f, true)
        .bindTo(coverEnabled);

    // The drawable borrows this object; onUnload removes it before the object can go.
    gameWrapperPtr->RegisterDrawable([this](CanvasWrapper canvas) { drawCover(canvas); });
}

void Tavorinden::onUnload() {
    gameWrapperPtr->UnregisterDrawables();
}

void Tavorinden::drawCover(CanvasWrapper canvas) {
    // Set before the drawable is registered and never emptied while it is.
    if (!*coverEnabled) {
        return;
    }
    canvas.SetColor(0, 0, 0, '\xFF');

    // Single-precision products truncated toward zero: ⌊2W/5⌋, ⌊3W/5⌋ and ⌊17H/200⌋ for every
    // side up to 19 999 pixels.
    const Vector2 size = canvas.GetSize();
    const auto width = static_cast<float>(size.X);
    const auto height = static_cast<float>(size.Y);
    const Vector2 topLeft{static_cast<int>(width * 0.4f), 0};
    const Vector2 bottomRight{static_cast<int>(width * 0.6f), static_cast<int>(height * 0.085f)};
    canvas.DrawRect(topLeft, bottomRight);
}

// The host writes into the base part and reads nothing of ours but through the table.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
#endif
static_assert(offsetof(Tavorinden, cvarManagerPtr) == sizeof(void*));
static_assert(offsetof(Tavorinden, gameWrapperPtr) == 3 * sizeof(void*));
static_assert(offsetof(Tavorinden, coverEnabled) == 5 * sizeof(void*));
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
