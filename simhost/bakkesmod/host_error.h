#pragma once

#include <exception>
#include <stdexcept>
#include <string>

#include "bakkesmod/api.h"

namespace simhost {

// A request the host could not carry out; the message says what and why. The host is left as
// it was before the request.
class HostError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a failure that reached the host says about itself, whatever was thrown.
BAKKESMOD_API std::string describe(std::exception_ptr failure);

}  // namespace simhost
