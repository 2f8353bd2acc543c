#pragma once

#include <memory>

#include "bakkesmod/api.h"
#include "bakkesmod/binary_interface.h"
#include "bakkesmod/cvar_manager_wrapper.h"
#include "bakkesmod/game_wrapper.h"

namespace BakkesMod::Plugin {

// The base of every plug-in class. The host writes its two service handles into the object it
// got from the module's creation entry, then calls onLoad through this class; onUnload comes
// before the last share of the object is dropped.
//
// There is deliberately no virtual destructor: the object is always destroyed through a handle
// that knows its concrete type. The layout (table pointer, then the two handles in this order)
// is shared with the host.
class BAKKESMOD_PLUGIN_API BakkesModPlugin {
public:
    BakkesModPlugin();
    BakkesModPlugin(const BakkesModPlugin& other);
    BakkesModPlugin(BakkesModPlugin&& other) noexcept;
    ~BakkesModPlugin();
    BakkesModPlugin& operator=(const BakkesModPlugin& other);
    BakkesModPlugin& operator=(BakkesModPlugin&& other) noexcept;

    virtual void onLoad();
    virtual void onUnload();

    std::shared_ptr<CVarManagerWrapper> cvarManagerPtr;
    std::shared_ptr<GameWrapper> gameWrapperPtr;
};

}  // namespace BakkesMod::Plugin
