#pragma once

#include <filesystem>

namespace simhost {

// Lets modules loaded from private copies find the libraries they import where their original
// sits, as the original would: a plug-in folder holds the host library beside its plug-ins.
// Changes how the whole process looks for libraries; called once, before the first copy loads.
void importsBeside(const std::filesystem::path& original);

}  // namespace simhost
