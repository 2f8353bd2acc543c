#include "simhost/host_error.h"

#include <utility>

namespace simhost {

std::string describe(std::exception_ptr failure) {
    try {
        std::rethrow_exception(std::move(failure));
    } catch (const std::exception& known) {
        return known.what();
    } catch (...) {
        return "an exception of unknown type";
    }
}

}  // namespace simhost
