#include "tests/base/PlantedEntry.h"

#include <windows.h>

const unsigned FileExistsError = ERROR_FILE_EXISTS;

std::vector<PlantedKind> PlantableKinds()
{
    return {PlantedKind::Folder, PlantedKind::RegularFile, PlantedKind::HardLinkToFile};
}

// Only hard links: see PlantableKinds.
bool MakeSystemEntry(PlantedKind, const std::string& name, const std::string& target)
{
    return CreateHardLinkA(name.c_str(), target.c_str(), nullptr) != 0;
}
