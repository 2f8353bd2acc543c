#pragma once

#include <string>
#include <string_view>

#include "program/check/child/call_report.h"

// A whole channel's text, read at once as the parent reads it piece by piece.
inline simhost::check::CallReport readCallReport(std::string_view channel, std::string_view token) {
    simhost::check::CallReportReader reader{std::string(token)};
    reader.add(channel.data(), channel.size());
    return std::move(reader).finish();
}
