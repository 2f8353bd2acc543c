#include "bakkesmod/bakkesmod_plugin.h"

#include <cstddef>

namespace BakkesMod::Plugin {

// Defined out of line so that every module compiles and exports them, as the host expects.
BakkesModPlugin::BakkesModPlugin() = default;
BakkesModPlugin::BakkesModPlugin(const BakkesModPlugin& other) = default;
BakkesModPlugin::BakkesModPlugin(BakkesModPlugin&& other) noexcept = default;
// Members go in reverse order: gameWrapperPtr first, then cvarManagerPtr.
BakkesModPlugin::~BakkesModPlugin() = default;
BakkesModPlugin& BakkesModPlugin::operator=(const BakkesModPlugin& other) = default;
BakkesModPlugin& BakkesModPlugin::operator=(BakkesModPlugin&& other) noexcept = default;

void BakkesModPlugin::onLoad() {}
void BakkesModPlugin::onUnload() {}

// The host writes the handles at these places: the table pointer, then two handles of two
// pointers each.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
#endif
static_assert(offsetof(BakkesModPlugin, cvarManagerPtr) == sizeof(void*));
static_assert(offsetof(BakkesModPlugin, gameWrapperPtr) == 3 * sizeof(void*));
static_assert(sizeof(BakkesModPlugin) == 5 * sizeof(void*));
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

}  // namespace BakkesMod::Plugin
