#pragma once

#include <optional>
#include <string>
#include <vector>

#include "simhost/services/module_id.h"

namespace simhost {

// A value a traced call passed or returned, as given: a text is kept raw, for whoever writes it
// out to escape.
struct TracedValue {
    std::string value;
    bool text = false;
};

// One host operation a plug-in called through its service handles, or one step the host took on
// the plug-in object outside its code (placing the services), with what went in and came back.
struct ServiceCall {
    ModuleId module = kNoModule;
    std::string operation;
    std::vector<TracedValue> arguments;
    std::optional<TracedValue> result;
};

// Told of every such call, after it is made. A watch must not call into the host it watches.
class ServiceCallWatch {
public:
    virtual void serviceCalled(const ServiceCall& call) = 0;

protected:
    ServiceCallWatch() = default;
    ServiceCallWatch(const ServiceCallWatch&) = default;
    ServiceCallWatch& operator=(const ServiceCallWatch&) = default;
    ~ServiceCallWatch() = default;
};

}  // namespace simhost
