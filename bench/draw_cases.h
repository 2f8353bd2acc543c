#pragma once

#include <memory>
#include <string>
#include <vector>

#include "bakkesmod/game_wrapper.h"
#include "simhost/host.h"
#include "simhost/services/module_services.h"

// What one host draw costs, case by case: the plug-in's drawable with the switch on and off, and
// the two least costs it is measured against, each registered with the host the same way and
// called through the same host draw.
class DrawCase {
public:
    // "plugin-on", "plugin-off", "empty" or "hand-written".
    explicit DrawCase(const std::string& name);
    DrawCase(const DrawCase&) = delete;
    DrawCase& operator=(const DrawCase&) = delete;
    ~DrawCase();

    // The host's draw of the overlay, as many times as asked; kept out of line so that an
    // instruction counter can collect exactly this.
    void draw(long long times);

    static const std::vector<std::string>& names();

private:
    simhost::Host host_{{1920, 1080}};
    // A second module's services, for the baseline drawables.
    simhost::ModuleServices baseline_{host_.log(), host_.variables(), host_.overlay(), 1000};
    std::shared_ptr<GameWrapper> game_;
};
