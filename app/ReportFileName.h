#pragma once

#include <cstdint>
#include <string>

// name + "-" + stamp + ".smart", every blank replaced by "_". The program runs with
// administrator rights, so "\", "/", ":" and control characters become "_" as well: a typed
// name can then neither reach outside the current folder nor break the upload's header lines.
std::string ReportFileName(const std::string& name, std::int32_t stamp);
