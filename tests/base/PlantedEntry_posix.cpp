#include "tests/base/PlantedEntry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

const unsigned FileExistsError = EEXIST;

std::vector<PlantedKind> PlantableKinds()
{
    return {PlantedKind::LinkToFile, PlantedKind::LinkToNothing, PlantedKind::Folder,
            PlantedKind::Pipe,       PlantedKind::RegularFile,   PlantedKind::HardLinkToFile};
}

bool MakeSystemEntry(PlantedKind kind, const std::string& name, const std::string& target)
{
    switch (kind) {
    case PlantedKind::Pipe: return ::mkfifo(name.c_str(), 0600) == 0;
    case PlantedKind::HardLinkToFile: return ::link(target.c_str(), name.c_str()) == 0;
    default: return ::symlink(target.c_str(), name.c_str()) == 0;
    }
}
