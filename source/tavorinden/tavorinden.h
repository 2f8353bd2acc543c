#pragma once

#include <cstdint>
#include <memory>

#include "bakkesmod/api.h"
#include "bakkesmod/bakkesmod_plugin.h"
#include "bakkesmod/canvas_wrapper.h"
#include "bakkesmod/plugin_export_record.h"

// Covers the top centre of the screen with an opaque black band while cl_tavorinden is on.
// Final: nothing derives from it, and the module's handle destroys it as a Tavorinden, which is
// why the base needs no virtual destructor.
class Tavorinden final : public BakkesMod::Plugin::BakkesModPlugin {
public:
    // Logs the version line, creates the switch, registers cl_tavorinden bound to it and
    // registers the cover drawable.
    void onLoad() override;
    // Removes the cover drawable. The switch and the variable stay.
    void onUnload() override;

    // Paints the band black when the switch is on; makes no canvas call at all when it is off.
    void drawCover(CanvasWrapper canvas);

    // The switch. The host holds a second share through the variable binding and writes it.
    std::shared_ptr<bool> coverEnabled;
};

extern "C" {
// What the host reads first: version, names and the two entries below.
BAKKESMOD_PLUGIN_EXPORT extern PluginExportRecord exports;
// Creates the one plug-in object if there is none; returns the address of the handle owning it.
BAKKESMOD_PLUGIN_EXPORT std::uintptr_t BAKKESMOD_ENTRY getPlugin();
// Drops the module's share of the plug-in object.
BAKKESMOD_PLUGIN_EXPORT void BAKKESMOD_ENTRY deleteMe();
}

// The module's one owner of the plug-in object; released when the module is unloaded.
extern std::shared_ptr<Tavorinden> pluginInstance;
