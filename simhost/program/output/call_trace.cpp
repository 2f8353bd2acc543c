#include "program/output/call_trace.h"

#include <ostream>
#include <string>

#include "program/output/shown_text.h"

namespace simhost {

namespace {

std::string valueText(const TracedValue& value) {
    return value.text ? printable(value.value) : value.value;
}

}  // namespace

void CallTrace::calling(ModuleCall call) {
    out_ << "call " << callName(call) << '\n';
    if (next_ != nullptr) {
        next_->calling(call);
    }
}

void CallTrace::returned(ModuleCall call) {
    out_ << "return " << callName(call) << '\n';
    if (next_ != nullptr) {
        next_->returned(call);
    }
}

void CallTrace::serviceCalled(const ServiceCall& call) {
    out_ << "  " << call.operation << '(';
    for (std::size_t i = 0; i < call.arguments.size(); ++i) {
        out_ << (i == 0 ? "" : ", ") << valueText(call.arguments[i]);
    }
    out_ << ')';
    if (call.result) {
        out_ << " -> " << valueText(*call.result);
    }
    out_ << '\n';
}

void CallTrace::called(const CanvasCall& call) {
    out_ << "  " << call << '\n';
}

bool CallTrace::written() const {
    return static_cast<bool>(out_);
}

TraceOutput::TraceOutput(const std::filesystem::path& where, std::ostream& standardError) {
    if (where == "-") {
        stream_ = &standardError;
        return;
    }
    file_.open(where, std::ios::binary | std::ios::app);
    if (file_.is_open()) {
        file_.setf(std::ios::unitbuf);
        stream_ = &file_;
    }
}

}  // namespace simhost
