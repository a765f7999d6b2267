// qm-smart-replay [--bus ata|usb] FILE...: the disk blocks of the report for drives saved by
// skdump --save, one blob per disk in the order given, numbered from 0, written as the report
// holds them. With --bus usb every drive sits behind a USB bridge that passes its ATA commands
// through ATA PASS-THROUGH; the default is the ATA bus. A file of NVMe blocks (NHLG, NIDC, USBI)
// is an NVMe drive, on the NVMe bus or in the USB enclosure its USB ID names, whatever --bus says.

#include "app/ReportLines.h"
#include "base/Exception.h"
#include "base/FileStream.h"
#include "base/StringList.h"
#include "base/SystemLibrary.h"
#include "smart/StoredBlocksDrive.h"
#include "smart/smartapi.h"
#include "tools/ToolErrors.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

// skdump saves a few KiB per drive; anything far larger is not one of its files, and a pipe
// that never ends must not take the machine's memory.
constexpr std::size_t LargestSkdumpFile = 1 << 20;

int Usage()
{
    std::fprintf(stderr, "usage: qm-smart-replay [--bus ata|usb] FILE...\n");
    return 2;
}

// Read to its end rather than by its size: a pipe or a device has none that can be known.
std::string WholeFile(const std::string& fileName)
{
    if (std::filesystem::is_directory(fileName))
        throw Exception(fileName + " is a folder, not a file saved by skdump --save");
    TFileStream file(fileName, TFileMode::fmOpenReadShared);
    std::string bytes;
    char block[16384];
    while (const std::int32_t count = file.Read(block, sizeof block)) {
        bytes.append(block, static_cast<std::size_t>(count));
        if (bytes.size() > LargestSkdumpFile)
            throw Exception(fileName + " holds more than 1 MiB, more than skdump --save writes for a drive");
    }
    return bytes;
}

StoredDrive LoadDrive(const std::string& fileName)
{
    StoredDrive drive = LoadSkdumpBlob(WholeFile(fileName));
    if (!drive.Identify && !drive.NvmeHealthLog)
        throw Exception(fileName + " holds no IDENTIFY block (IDFY), so it was not saved by skdump --save");
    return drive;
}

int Replay(int argc, char** argv)
{
    int first = 1;
    bool usb = false;
    if (argc > 1 && std::strcmp(argv[1], "--bus") == 0) {
        if (argc < 3 || (std::strcmp(argv[2], "ata") != 0 && std::strcmp(argv[2], "usb") != 0))
            return Usage();
        usb = std::strcmp(argv[2], "usb") == 0;
        first = 3;
    }
    if (argc <= first)
        return Usage();

    std::vector<StoredDrive> drives;
    for (int k = first; k < argc; ++k) {
        StoredDrive drive = LoadDrive(argv[k]);
        if (usb && drive.Identify) {
            drive.BusType = BusCode(StorageBus::Usb);
            drive.Bridge = AtaBridge::Translates;
        }
        drives.push_back(std::move(drive));
    }

    const auto disks = static_cast<std::int32_t>(drives.size());
    StoredBlocksDrive io(std::move(drives));
    TStringList lines;
    for (std::int32_t n = 0; n < disks; ++n) {
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

} // namespace

int main(int argc, char** argv)
{
    RestrictLibrarySearchToSystem();
    return ReportingErrors("qm-smart-replay", [&] { return Replay(argc, argv); });
}
