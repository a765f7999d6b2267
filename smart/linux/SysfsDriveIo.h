#pragma once

#include "smart/DriveIo.h"

#include <memory>
#include <string>

// The Linux drive access over the sysfs tree under sysRoot and the device nodes under devRoot:
// the Windows control codes answered by Linux means. CreateSystemDriveIo gives it over "/sys"
// and "/dev".
std::unique_ptr<DriveIo> CreateSysfsDriveIo(const std::string& sysRoot, const std::string& devRoot);
