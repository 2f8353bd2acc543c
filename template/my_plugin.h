#pragma once

#include <cstdint>
#include <memory>

#include "bakkesmod/api.h"
#include "bakkesmod/bakkesmod_plugin.h"
#include "bakkesmod/canvas_wrapper.h"
#include "bakkesmod/plugin_export_record.h"

// Marks the centre of the screen with a white square while my_plugin_enabled is on.
class MyPlugin final : public BakkesMod::Plugin::BakkesModPlugin {
public:
    void onLoad() override;
    // Removes the drawable: the host must not call it once the plug-in is unloaded.
    void onUnload() override;

    void draw(CanvasWrapper canvas);

    // The host writes the switch through the variable's binding.
    std::shared_ptr<bool> enabled;
};

// What the host looks up, by these plain names.
extern "C" {
BAKKESMOD_PLUGIN_EXPORT extern PluginExportRecord exports;
BAKKESMOD_PLUGIN_EXPORT std::uintptr_t BAKKESMOD_ENTRY getPlugin();
BAKKESMOD_PLUGIN_EXPORT void BAKKESMOD_ENTRY deleteMe();
}
