#include "my_plugin.h"

#include <string>

namespace {
// The module's one owner of the plug-in object.
std::shared_ptr<MyPlugin> instance;
}  // namespace

extern "C" {

PluginExportRecord exports = {
    .hostApiVersion = kHostApiVersion,
    .sourcePath = __FILE__,
    .typeName = "MyPlugin",
    .displayName = "MyPlugin",
    .versionText = MY_PLUGIN_VERSION,
    .pluginKind = 0,
    .createEntry = &getPlugin,
    .deleteEntry = &deleteMe,
};

// One object however often the host asks; the host receives the address of its owner.
std::uintptr_t BAKKESMOD_ENTRY getPlugin() {
    if (!instance) {
        instance = std::make_shared<MyPlugin>();
    }
    return reinterpret_cast<std::uintptr_t>(&instance);
}

void BAKKESMOD_ENTRY deleteMe() {
    instance.reset();
}

}  // extern "C"

void MyPlugin::onLoad() {
    cvarManagerPtr->log(std::string("MyPlugin version: ") + MY_PLUGIN_VERSION);
    enabled = std::make_shared<bool>(true);
    cvarManagerPtr
        ->registerCvar("my_plugin_enabled", "1", "Shows the centre mark", true, true, 0.0f, true,
                       1.0f, true)
        .bindTo(enabled);
    gameWrapperPtr->RegisterDrawable([this](CanvasWrapper canvas) { draw(canvas); });
}

void MyPlugin::onUnload() {
    gameWrapperPtr->UnregisterDrawables();
}

void MyPlugin::draw(CanvasWrapper canvas) {
    const Vector2 size = canvas.GetSize();
    // The host draws on canvases of any size, down to 0x0: the mark stays inside.
    if (!*enabled || size.X < 8 || size.Y < 8) {
        return;
    }
    canvas.SetColor('\xFF', '\xFF', '\xFF', '\xFF');
    canvas.DrawRect({size.X / 2 - 4, size.Y / 2 - 4}, {size.X / 2 + 4, size.Y / 2 + 4});
}
