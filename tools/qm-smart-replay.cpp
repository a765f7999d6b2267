// qm-smart-replay FILE...: the disk blocks of the report for drives saved by skdump --save, one
// blob per disk in the order given, numbered from 0, written as the report holds them.

#include "app/ReportLines.h"
#include "base/Exception.h"
#include "base/StringList.h"
#include "base/SystemLibrary.h"
#include "smart/StoredBlocksDrive.h"
#include "smart/smartapi.h"

#include <cstdio>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv)
{
    RestrictLibrarySearchToSystem();
    if (argc < 2) {
        std::fprintf(stderr, "usage: qm-smart-replay FILE...\n");
        return 2;
    }
    std::vector<StoredDrive> drives;
    try {
        for (int k = 1; k < argc; ++k)
            drives.push_back(LoadSkdumpFile(argv[k]));
    } catch (const Exception& e) {
        std::fprintf(stderr, "qm-smart-replay: %s\n", e.Message.c_str());
        return 1;
    }

    StoredBlocksDrive io(std::move(drives));
    TStringList lines;
    for (std::int32_t n = 0; n < argc - 1; ++n) {
        TDriveResult drive;
        TSmartResult smart;
        const bool ok = ReadSmartInfo(io, n, drive, smart);
        AppendDiskReport(lines, n, ok, drive, smart);
    }

#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    const std::string text = lines.Text();
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
