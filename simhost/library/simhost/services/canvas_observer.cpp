#include "simhost/services/canvas_observer.h"

#include <ostream>

namespace simhost {

std::ostream& operator<<(std::ostream& out, const CanvasCall& call) {
    switch (call.kind) {
        case CanvasCall::Kind::SetColor:
            return out << "SetColor(" << int{call.color.r} << ", " << int{call.color.g} << ", "
                       << int{call.color.b} << ", " << int{call.color.a} << ")";
        case CanvasCall::Kind::GetSize:
            return out << "GetSize() -> (" << call.first.X << ", " << call.first.Y << ")";
        case CanvasCall::Kind::DrawRect:
            return out << "DrawRect((" << call.first.X << ", " << call.first.Y << "), ("
                       << call.second.X << ", " << call.second.Y << "))";
    }
    return out << "unknown canvas call";
}

}  // namespace simhost
