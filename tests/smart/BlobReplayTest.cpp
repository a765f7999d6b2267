// Every saved drive of tests/data/smart-blobs read through qm-smart-replay and compared with what
// skdump, an independent reader of the same blobs, finds in them.

#include "smart/StoredBlocksDrive.h"
#include "smart/smartapi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <vector>

namespace {

struct Attribute {
    int Current = 0;
    int Worst = 0;
    std::string Threshold;
    std::int64_t Raw = 0;
};

struct DriveView {
    std::string Model;
    std::string Serial;
    std::string Firmware;
    std::vector<std::pair<int, Attribute>> Attributes;
};

std::string RunCommand(const std::string& command)
{
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe)
        return {};
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
        output.append(buffer, n);
    return output;
}

std::vector<std::string> BlobFiles()
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(QM_TEST_DATA "/smart-blobs"))
        files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

std::string Bracketed(const std::string& text, const std::string& label)
{
    const std::size_t at = text.find("\n" + label + ": [");
    if (at == std::string::npos)
        return "(missing)";
    const std::size_t first = at + label.size() + 4;
    return text.substr(first, text.find("]\n", first) - first);
}

DriveView SkdumpView(const std::string& file)
{
    const std::string text = RunCommand("skdump --load='" + file + "' 2>&1");
    DriveView view;
    view.Model = Bracketed(text, "Model");
    view.Serial = Bracketed(text, "Serial");
    view.Firmware = Bracketed(text, "Firmware");
    std::istringstream lines(text.substr(std::min(text.size(), text.find("ID# Name"))));
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::vector<std::string> tokens;
        for (std::string token; fields >> token;)
            tokens.push_back(token);
        const auto raw = std::find_if(tokens.begin(), tokens.end(),
                                      [](const std::string& t) { return t.starts_with("0x") && t.size() == 14; });
        if (tokens.size() < 5 || raw == tokens.end())
            continue;
        Attribute attribute;
        attribute.Current = std::stoi(tokens[2]);
        attribute.Worst = std::stoi(tokens[3]);
        attribute.Threshold = tokens[4];
        // skdump shows the six raw bytes in the order they are stored, lowest first.
        for (int n = 5; n >= 0; --n)
            attribute.Raw = attribute.Raw << 8 | std::stoi(raw->substr(2 + 2 * static_cast<std::size_t>(n), 2), nullptr, 16);
        view.Attributes.emplace_back(std::stoi(tokens[0]), attribute);
    }
    return view;
}

std::vector<std::string> SplitCrLf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t at = 0;
    for (std::size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    EXPECT_EQ(at, text.size()) << "text after the last CR LF";
    return lines;
}

std::vector<std::string> Split(const std::string& line, char separator)
{
    std::vector<std::string> parts;
    std::istringstream in(line);
    for (std::string part; std::getline(in, part, separator);)
        parts.push_back(part);
    return parts;
}

// The disk blocks of the replay, one view per disk, in order.
std::vector<DriveView> ReplayViews(const std::string& output, std::size_t disks)
{
    const std::vector<std::string> lines = SplitCrLf(output);
    std::vector<DriveView> views;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        if (!lines[k].starts_with("===| Disk "))
            continue;
        EXPECT_EQ(lines[k].substr(0, 14 + std::to_string(views.size()).size()),
                  "===| Disk " + std::to_string(views.size()) + " |==");
        DriveView view;
        const std::string& drive = lines.at(k + 1);
        const std::size_t serial = drive.find(", Serial: ");
        const std::size_t size = drive.find(", Size = ");
        view.Model = drive.substr(7, serial - 7);
        view.Serial = drive.substr(serial + 10, size - serial - 10);
        for (std::size_t row = k + 1; row < lines.size() && !lines[row].starts_with("===| END DISK Report |"); ++row) {
            const std::vector<std::string> parts = Split(lines[row], ';');
            if (parts.size() != 10 || parts[0] == "Id")
                continue;
            Attribute attribute;
            attribute.Current = std::stoi(parts[3]);
            attribute.Worst = std::stoi(parts[4]);
            attribute.Threshold = parts[5];
            attribute.Raw = std::stoll(parts[6]);
            view.Attributes.emplace_back(std::stoi(parts[0]), attribute);
        }
        views.push_back(view);
    }
    EXPECT_EQ(views.size(), disks);
    return views;
}

TEST(BlobReplay, EveryBlobAgreesWithSkdump)
{
    if (RunCommand("command -v skdump").empty())
        GTEST_SKIP() << "skdump (libatasmart-bin) is not installed";
    const std::vector<std::string> files = BlobFiles();
    ASSERT_FALSE(files.empty());

    std::string command = QM_REPLAY;
    for (const std::string& file : files)
        command += " '" + file + "'";
    const std::vector<DriveView> replay = ReplayViews(RunCommand(command), files.size());
    ASSERT_EQ(replay.size(), files.size());

    for (std::size_t n = 0; n < files.size(); ++n) {
        const DriveView expected = SkdumpView(files[n]);
        SCOPED_TRACE(files[n]);
        EXPECT_EQ(replay[n].Model, expected.Model);
        EXPECT_EQ(replay[n].Serial, expected.Serial);
        ASSERT_EQ(replay[n].Attributes.size(), expected.Attributes.size());
        ASSERT_FALSE(expected.Attributes.empty());
        for (std::size_t k = 0; k < expected.Attributes.size(); ++k) {
            const auto& [id, want] = expected.Attributes[k];
            const auto& [gotId, got] = replay[n].Attributes[k];
            SCOPED_TRACE("attribute " + std::to_string(id));
            EXPECT_EQ(gotId, id);
            EXPECT_EQ(got.Current, want.Current);
            EXPECT_EQ(got.Worst, want.Worst);
            if (want.Threshold != "n/a") {
                EXPECT_EQ(got.Threshold, want.Threshold);
            }
            EXPECT_EQ(got.Raw, want.Raw);
        }

        // The firmware is not in the report; the record holds it.
        StoredBlocksDrive io({LoadSkdumpFile(files[n])});
        TDriveResult drive;
        TSmartResult smart;
        EXPECT_TRUE(ReadSmartInfo(io, 0, drive, smart));
        EXPECT_EQ(drive.FirmwareRev, expected.Firmware);
    }
}

// The same drives behind USB bridges that translate ATA PASS-THROUGH give the same report, byte
// for byte.
TEST(BlobReplay, UsbBridgedDrivesGiveTheAtaReport)
{
    // Double quotes: the command goes through cmd.exe on Windows.
    std::string files;
    for (const std::string& file : BlobFiles())
        files += " \"" + file + "\"";
    const std::string ata = RunCommand(std::string(QM_REPLAY) + files);
    const std::string usb = RunCommand(std::string(QM_REPLAY) + " --bus usb" + files);
    ASSERT_NE(ata.find("===| Disk 11 |"), std::string::npos);
    EXPECT_EQ(usb, ata);
    EXPECT_EQ(RunCommand(std::string(QM_REPLAY) + " --bus ata" + files), ata);
    EXPECT_EQ(RunCommand(std::string(QM_REPLAY) + " --bus scsi" + files), "");
}

TEST(BlobReplay, FujitsuTableWithHolesKeepsItsLastEntries)
{
    StoredBlocksDrive io({LoadSkdumpFile(QM_TEST_DATA "/smart-blobs/FUJITSU_MHY2120BH--0084000D")});
    TDriveResult drive;
    TSmartResult smart;
    ASSERT_TRUE(ReadSmartInfo(io, 0, drive, smart));
    ASSERT_EQ(smart.AttrCount, 21);
    EXPECT_EQ(smart.AttrId[19], 203);
    EXPECT_EQ(smart.AttrRawValue[19], 433705124726);
    EXPECT_EQ(smart.AttrId[20], 240);
    EXPECT_EQ(smart.AttrCurrent[20], 200);
    EXPECT_EQ(smart.AttrThreshold[20], 0);
}

TEST(BlobReplay, UnreadableFileIsAnErrorWithoutOutput)
{
    EXPECT_EQ(RunCommand(std::string(QM_REPLAY) + " /nonexistent/blob 2>/dev/null"), "");
    EXPECT_NE(std::system((std::string(QM_REPLAY) + " /nonexistent/blob 2>/dev/null").c_str()), 0);
#ifndef _WIN32
    // Whatever stands under the name, the replay ends with its reason and status 1: no abort, no
    // disk made up from nothing.
    const std::string replay = QM_REPLAY;
    const std::pair<std::string, std::string> cases[] = {
        {replay + " " QM_TEST_DATA "/smart-blobs",
         "qm-smart-replay: " QM_TEST_DATA "/smart-blobs is a folder, not a file saved by skdump --save\nstatus 1\n"},
        {replay + " /dev/null",
         "qm-smart-replay: /dev/null holds no IDENTIFY block (IDFY), so it was not saved by skdump --save\nstatus 1\n"},
        {"printf '' | " + replay + " /dev/stdin",
         "qm-smart-replay: /dev/stdin holds no IDENTIFY block (IDFY), so it was not saved by skdump --save\nstatus 1\n"},
    };
    for (const auto& [command, said] : cases)
        EXPECT_EQ(RunCommand(command + " 2>&1; echo status $?"), said) << command;
    // A pipe has no size to go by: it is read to its end.
    const std::string blob = BlobFiles().front();
    EXPECT_EQ(RunCommand("cat '" + blob + "' | " + replay + " /dev/stdin"), RunCommand(replay + " '" + blob + "'"));
#endif
}

// Made-up NVMe drives in USB enclosures (tests/data/nvme-blobs): each plays the bridge family its
// USB ID is listed for, and reads as the same drive on the NVMe bus without the ID.
TEST(SkdumpBlob, NvmeDrivesInUsbEnclosures)
{
    const struct {
        const char* File;
        NvmeBridgeFamily Family;
        const char* Model;
        std::int64_t DiskBytes;
        int Temperature;
        int FailedCount;
    } cases[] = {
        {"jms583-healthy", NvmeBridgeFamily::JMicron, "QM TEST NVME SSD 500GB", 500107862016, 35, 0},
        {"rtl9210-worn", NvmeBridgeFamily::Realtek, "QM TEST NVME SSD 1TB", 1000204886016, 58, 1},
        {"asm2362-hot", NvmeBridgeFamily::ASMedia, "QM TEST NVME SSD 256GB", 256060514304, 85, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.File);
        const StoredDrive usb = LoadSkdumpFile(std::string(QM_TEST_DATA "/nvme-blobs/") + c.File);
        EXPECT_EQ(usb.NvmeBridge, c.Family);
        StoredDrive nvmeBus = usb;
        nvmeBus.UsbId.reset();
        nvmeBus.NvmeBridge = NvmeBridgeFamily::None;
        nvmeBus.BusType = 17;
        for (const StoredDrive& stored : {usb, nvmeBus}) {
            StoredBlocksDrive io({stored});
            TDriveResult drive;
            TSmartResult smart;
            ASSERT_TRUE(ReadSmartInfo(io, 0, drive, smart));
            EXPECT_EQ(drive.ModelNumber, c.Model);
            EXPECT_EQ(drive.DiskBytes, c.DiskBytes);
            EXPECT_EQ(smart.AttrCount, 9);
            EXPECT_EQ(smart.Temperature, c.Temperature);
            EXPECT_EQ(smart.FailedCount, c.FailedCount);
        }
    }
}

TEST(SkdumpBlob, MalformedBlobs)
{
    EXPECT_THROW(LoadSkdumpBlob(std::string("IDFY\0\0\2\0", 8)), std::exception);
    EXPECT_THROW(LoadSkdumpBlob("IDF"), std::exception);
    const StoredDrive shortBlock = LoadSkdumpBlob(std::string("SMDT\0\0\0\2\1\2", 10));
    ASSERT_TRUE(shortBlock.SmartData.has_value());
    EXPECT_EQ(shortBlock.SmartData->size(), 2u);
    EXPECT_FALSE(shortBlock.Identify.has_value());

    // Without IDENTIFY the drive aborts it, and the reading ends as a drive without SMART.
    StoredBlocksDrive io({shortBlock});
    TDriveResult drive;
    TSmartResult smart;
    EXPECT_FALSE(ReadSmartInfo(io, 0, drive, smart));
    EXPECT_EQ(drive.ErrorText, "SMART Not Supported");
}

} // namespace
