#include "base/Exception.h"
#include "base/SysfsDisks.h"
#include "wmi/DiskDriveInventory.h"
#include "wmi/SysfsDiskDrives.h"

#include "ObjectTexts.h"

#include "FakeWbemServices.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>

namespace fs = std::filesystem;

namespace {

// A sysfs tree in a temporary folder, laid out as the kernel lays out its own: /sys/block
// holds links into /sys/devices, and each disk's "device" links to its parent device.
class FakeSysfs {
public:
    FakeSysfs()
    {
        std::string pattern = (fs::temp_directory_path() / "qm-sysfs-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
        fs::create_directories(root_ / "block");
        fs::create_directories(root_ / "bus" / "scsi");
        fs::create_directories(root_ / "bus" / "nvme");
        fs::create_directories(root_ / "bus" / "platform");
    }
    ~FakeSysfs() { fs::remove_all(root_); }
    FakeSysfs(const FakeSysfs&) = delete;
    FakeSysfs& operator=(const FakeSysfs&) = delete;

    std::string Root() const { return root_.string(); }

    // A disk whose parent device sits at devicePath (under devices/) on bus.
    void AddDisk(const std::string& name, const std::string& devicePath, const std::string& bus,
                 const std::map<std::string, std::string>& diskFiles,
                 const std::map<std::string, std::string>& deviceFiles)
    {
        const fs::path device = root_ / "devices" / devicePath;
        const fs::path disk = device / "block" / name;
        fs::create_directories(disk / "queue");
        fs::create_symlink(fs::relative(root_ / "bus" / bus, device), device / "subsystem");
        fs::create_symlink(fs::relative(device, disk), disk / "device");
        fs::create_directory_symlink(fs::relative(disk, root_ / "block"), root_ / "block" / name);
        for (const auto& [file, content] : diskFiles)
            Write(disk / file, content);
        for (const auto& [file, content] : deviceFiles)
            Write(device / file, content);
    }

    void AddPartition(const std::string& disk, const std::string& name)
    {
        Write(root_ / "block" / disk / name / "partition", "1\n");
    }

    static void Write(const fs::path& path, const std::string& content)
    {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
    }

private:
    fs::path root_;
};

// Disks Windows does not list among its disk drives: virtual ones without a parent device, a
// CD-ROM drive (SCSI peripheral type 5) and a floppy drive (bound to the floppy driver).
void AddVirtualDevices(FakeSysfs& sysfs)
{
    for (const char* name : {"loop0", "ram0", "zram0", "dm-0", "md127", "nbd0", "zd0"}) {
        const fs::path disk = fs::path(sysfs.Root()) / "devices" / "virtual" / "block" / name;
        FakeSysfs::Write(disk / "size", "2048\n");
        fs::create_directory_symlink(fs::relative(disk, fs::path(sysfs.Root()) / "block"),
                                     fs::path(sysfs.Root()) / "block" / name);
    }
    sysfs.AddDisk("sr0", "pci0000:00/0000:00:1f.2/ata2/host1/target1:0:0/1:0:0:0", "scsi", {{"size", "2048\n"}},
                  {{"type", "5\n"}, {"model", "DVD-RAM\n"}});
    sysfs.AddDisk("fd0", "platform/floppy.0", "platform", {{"size", "2880\n"}}, {});
    fs::create_directories(fs::path(sysfs.Root()) / "bus" / "platform" / "drivers" / "floppy");
    fs::create_directory_symlink(fs::relative(fs::path(sysfs.Root()) / "bus" / "platform" / "drivers" / "floppy",
                                              fs::path(sysfs.Root()) / "devices" / "platform" / "floppy.0"),
                                 fs::path(sysfs.Root()) / "devices" / "platform" / "floppy.0" / "driver");
}

// libata's identify words as its id attribute shows them: four hexadecimal digits a word, eight
// words a line, the model number in words 27-46 with the first character of a pair high.
std::string IdentifyAttribute(const std::string& model)
{
    std::array<std::uint16_t, 256> words{};
    words[0] = 0x0040;
    const std::string padded = (model + std::string(40, ' ')).substr(0, 40);
    for (size_t i = 0; i < 20; ++i)
        words[27 + i] = static_cast<std::uint16_t>(static_cast<unsigned char>(padded[2 * i]) << 8 |
                                                   static_cast<unsigned char>(padded[2 * i + 1]));
    std::string text;
    char word[8];
    for (size_t i = 0; i < words.size(); ++i) {
        std::snprintf(word, sizeof word, "%04x%c", words[i], (i + 1) % 8 ? ' ' : '\n');
        text += word;
    }
    return text;
}

std::string RunCommand(const std::string& command)
{
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe)
        return {};
    std::string output;
    char buffer[4096];
    while (const size_t n = std::fread(buffer, 1, sizeof buffer, pipe.get()))
        output.append(buffer, n);
    return output;
}

} // namespace

TEST(SysfsDiskDrives, WholeDisksInNameOrderWithoutVirtualDevices)
{
    FakeSysfs sysfs;
    AddVirtualDevices(sysfs);
    for (const char* name : {"sdb", "nvme0n1", "sda", "vda", "sdaa"})
        sysfs.AddDisk(name, std::string("pci0000:00/") + name, "scsi", {{"size", "8\n"}}, {});
    EXPECT_EQ(PhysicalDriveNames(sysfs.Root()), (std::vector<std::string>{"nvme0n1", "sda", "sdaa", "sdb", "vda"}));
    EXPECT_EQ(RenderSysfsDiskDrives(sysfs.Root(), "PC").size(), 5u);
    EXPECT_TRUE(PhysicalDriveNames(sysfs.Root() + "/missing").empty());
}

TEST(SysfsDiskDrives, RendersTheObjectTextOfTheWmiService)
{
    FakeSysfs sysfs;
    std::string vpd = std::string("\0\x80\0\x17", 4) + "        WD-WCAPW1234567";
    sysfs.AddDisk("sda", "pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0", "scsi",
                  {{"size", "976773168\n"}, {"removable", "0\n"}, {"queue/logical_block_size", "512\n"}},
                  {{"model", "WDC WD5000AAKS-0\n"}, {"vendor", "ATA     \n"}, {"rev", "1C01\n"}, {"vpd_pg80", vpd}});
    sysfs.AddPartition("sda", "sda1");
    sysfs.AddPartition("sda", "sda2");
    const std::vector<std::string> texts = RenderSysfsDiskDrives(sysfs.Root(), "RESCUE");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], "\n"
                        "instance of Win32_DiskDrive\n"
                        "{\n"
                        "\tBytesPerSector = 512;\n"
                        "\tCapabilities = {3, 4};\n"
                        "\tCapabilityDescriptions = {\"Random Access\", \"Supports Writing\"};\n"
                        "\tCaption = \"WDC WD5000AAKS-0\";\n"
                        "\tCreationClassName = \"Win32_DiskDrive\";\n"
                        "\tDescription = \"Disk drive\";\n"
                        "\tDeviceID = \"\\\\\\\\.\\\\PHYSICALDRIVE0\";\n"
                        "\tFirmwareRevision = \"1C01\";\n"
                        "\tIndex = 0;\n"
                        "\tInterfaceType = \"IDE\";\n"
                        "\tManufacturer = \"(Standard disk drives)\";\n"
                        "\tMediaLoaded = TRUE;\n"
                        "\tMediaType = \"Fixed hard disk media\";\n"
                        "\tModel = \"WDC WD5000AAKS-0\";\n"
                        "\tName = \"\\\\\\\\.\\\\PHYSICALDRIVE0\";\n"
                        "\tPartitions = 2;\n"
                        "\tPNPDeviceID = \"SCSI\\\\DISK&VEN_ATA&PROD_WDC_WD5000AAKS-0\\\\0:0:0:0\";\n"
                        "\tSerialNumber = \"WD-WCAPW1234567\";\n"
                        "\tSize = \"500107862016\";\n"
                        "\tStatus = \"OK\";\n"
                        "\tSystemCreationClassName = \"Win32_ComputerSystem\";\n"
                        "\tSystemName = \"RESCUE\";\n"
                        "\tTotalSectors = \"976773168\";\n"
                        "};\n");
}

// The SCSI layer cuts an ATA model to 16 characters; the model comes whole from the identify
// words libata keeps, matched to the disk by port and device number.
TEST(SysfsDiskDrives, AtaModelsComeWholeFromTheIdentifyWords)
{
    FakeSysfs sysfs;
    const std::string longModel = "QM E2E AHCI DISK WITH A LONG MODEL";
    const auto addAtaDisk = [&sysfs](const std::string& name, const std::string& path, const std::string& model) {
        sysfs.AddDisk(name, "pci0000:00/0000:00:1f.2/" + path, "scsi", {{"size", "16384\n"}},
                      {{"model", model.substr(0, 16) + "\n"}, {"vendor", "ATA     \n"}});
    };
    // An AHCI port's disk, a PIIX slave (device 1 of port 2), a disk behind port 3 of a port
    // multiplier, one whose identify words are missing, and one whose words are garbled.
    addAtaDisk("sda", "ata1/host0/target0:0:0/0:0:0:0", longModel);
    addAtaDisk("sdb", "ata2/host1/target1:0:1/1:0:1:0", "QM E2E PIIX SECOND DISK");
    addAtaDisk("sdc", "ata5/host4/target4:3:0/4:3:0:0", "Behind A Port Multiplier");
    addAtaDisk("sdd", "ata6/host5/target5:0:0/5:0:0:0", "No Identify Words Kept");
    addAtaDisk("sde", "ata7/host6/target6:0:0/6:0:0:0", "Garbled Identify Words");
    const fs::path devices = fs::path(sysfs.Root()) / "class" / "ata_device";
    FakeSysfs::Write(devices / "dev1.0" / "id", IdentifyAttribute(longModel));
    FakeSysfs::Write(devices / "dev1.1" / "id", IdentifyAttribute("The Wrong Device"));
    FakeSysfs::Write(devices / "dev2.0" / "id", IdentifyAttribute("The Wrong Device"));
    FakeSysfs::Write(devices / "dev2.1" / "id", IdentifyAttribute("QM E2E PIIX SECOND DISK"));
    FakeSysfs::Write(devices / "dev5.3.0" / "id", IdentifyAttribute("Behind A Port Multiplier"));
    FakeSysfs::Write(devices / "dev7.0" / "id", "0040 zz10 " + IdentifyAttribute("Garbled Identify Words"));

    const std::vector<std::string> texts = RenderSysfsDiskDrives(sysfs.Root(), "PC");
    ASSERT_EQ(texts.size(), 5u);
    const struct {
        const char* Model;
        const char* Product;
    } expected[] = {
        {"QM E2E AHCI DISK WITH A LONG MODEL", "QM_E2E_AHCI_DISK"},
        {"QM E2E PIIX SECOND DISK", "QM_E2E_PIIX_SECO"},
        {"Behind A Port Multiplier", "BEHIND_A_PORT_MU"},
        {"No Identify Word", "NO_IDENTIFY_WORD"},
        {"Garbled Identify", "GARBLED_IDENTIFY"},
    };
    for (size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(Property(texts[i], "Model"), "\"" + std::string(expected[i].Model) + "\"") << i;
        EXPECT_EQ(Property(texts[i], "Caption"), "\"" + std::string(expected[i].Model) + "\"") << i;
        EXPECT_NE(Property(texts[i], "PNPDeviceID").find("&PROD_" + std::string(expected[i].Product) + "\\\\"),
                  std::string::npos)
            << "Plug and Play identifiers keep the SCSI product identification: " << Property(texts[i], "PNPDeviceID");
    }
}

TEST(SysfsDiskDrives, TheComponentReadsWhatTheStandInWrites)
{
    FakeSysfs sysfs;
    AddVirtualDevices(sysfs);
    sysfs.AddDisk("sdb", "pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0", "scsi",
                  {{"size", "31266816\n"}, {"removable", "1\n"}, {"queue/logical_block_size", "512\n"}},
                  {{"model", "Cruzer \"Blade\"\n"}, {"vendor", "SanDisk\n"}, {"rev", "1.00\n"}});
    sysfs.AddDisk("nvme0n1", "pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0", "nvme",
                  {{"size", "1953525168\n"}, {"removable", "0\n"}, {"queue/logical_block_size", "4096\n"}},
                  {{"model", "Samsung SSD 970 EVO Plus 1TB            \n"},
                   {"serial", "S4EWNX0R123456X     \n"},
                   {"firmware_rev", "2B2QEXM7\n"}});
    sysfs.AddDisk("sda", "pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0", "scsi",
                  {{"size", "0\n"}, {"removable", "0\n"}}, {{"model", "Card Reader\n"}});

    auto fake = std::make_unique<FakeWbemServices>();
    fake->Answers = {RenderSysfsDiskDrives(sysfs.Root(), "RESCUE")};
    TDiskDriveInventory disks(std::move(fake));
    disks.SetActive(true);
    ASSERT_EQ(disks.ObjectsCount(), 3);
    const TDiskDriveProperties& p = disks.DiskDriveProperties();

    EXPECT_EQ(p.Model, "Samsung SSD 970 EVO Plus 1TB");
    EXPECT_EQ(p.SerialNumber, "S4EWNX0R123456X");
    EXPECT_EQ(p.FirmwareRevision, "2B2QEXM7");
    EXPECT_EQ(p.BytesPerSector, 4096u);
    EXPECT_EQ(p.Size, 1000204886016);
    EXPECT_EQ(p.TotalSectors, 244190646);
    EXPECT_EQ(p.InterfaceType, "SCSI");
    EXPECT_EQ(p.PNPDeviceID, "NVME\\\\DISK&PROD_SAMSUNG_SSD_970_EVO_PLUS_1TB\\\\NVME0");
    EXPECT_EQ(p.DeviceID, "\\\\\\\\.\\\\PHYSICALDRIVE0");

    disks.SetObjectIndex(2);
    EXPECT_EQ(p.Index, 1u);
    EXPECT_EQ(p.Model, "Card Reader");
    EXPECT_FALSE(p.MediaLoaded) << "no medium: size 0";
    EXPECT_EQ(p.Size, 0);

    disks.SetObjectIndex(3);
    EXPECT_EQ(p.Model, "Cruzer \\\"Blade\\\"") << "escapes are not interpreted";
    EXPECT_EQ(p.InterfaceType, "USB");
    EXPECT_EQ(p.MediaType, "Removable Media");
    EXPECT_EQ(p.CapabilitiesAsString, "{3, 4, 7}");
    EXPECT_EQ(p.Size, 16008609792);
    EXPECT_TRUE(p.MediaLoaded);
}

TEST(SysfsDiskDrives, TheSystemServiceRefusesOtherHostsNamespacesAndClasses)
{
    TDiskDriveInventory elsewhere(CreateSystemWbemServices());
    elsewhere.SetHost("fileserver.example");
    try {
        elsewhere.SetActive(true);
        ADD_FAILURE() << "connected to another computer";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message, "The RPC server is unavailable: only this computer's disks are known here");
    }
    EXPECT_FALSE(elsewhere.Connected());

    // The component's connect to a namespace that does not exist says so, as ConnectError does
    // under Wine against its WMI.
    class MissingNamespaceInventory : public TDiskDriveInventory {
    public:
        using TDiskDriveInventory::TDiskDriveInventory;
        std::string GetNamespacePath() const override { return "root\\nonexistent"; }
    } missing(CreateSystemWbemServices());
    try {
        missing.SetActive(true);
        ADD_FAILURE() << "connected to root\\nonexistent";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message, "Invalid namespace: only root\\cimv2 is known here");
    }

    const auto services = CreateSystemWbemServices();
    EXPECT_THROW(services->ExecQuery("SELECT * FROM Win32_DiskDrive", "WQL", [](std::string) {}), Exception)
        << "no connection yet";
    EXPECT_THROW(services->ConnectServer(".", "root\\default"), EOleException);
    services->ConnectServer(".", "ROOT\\CIMV2");
    const auto refusal = [&services](const std::string& query, const std::string& language) {
        try {
            services->ExecQuery(query, language, [](std::string) {});
        } catch (const EOleException& error) {
            return error.ErrorCode;
        }
        return 0u;
    };
    EXPECT_EQ(refusal("SELECT * FROM Win32_Process", "WQL"), 0x80041010u);
    EXPECT_EQ(refusal("SELECT Model FROM Win32_DiskDrive", "WQL"), 0x80041017u);
    EXPECT_EQ(refusal("SELECT * FROM Win32_DiskDrive", "SQL"), 0x80041018u);
    EXPECT_EQ(refusal("select * from win32_diskdrive", "wql"), 0u);
}

// The stand-in against lsblk on this machine's own disks: the same disks, in name order, with the
// same sizes and models. lsblk's own view of each: a disk (not a CD-ROM, "rom") that sits on a
// bus (not a virtual disk, whose only subsystem is "block"), and neither an eMMC's boot or
// replay-protected area nor a floppy drive (major number 2).
TEST(SysfsDiskDrives, AgreesWithLsblkOnThisMachine)
{
    const std::string listing = RunCommand("lsblk -d -b -n -P -o NAME,SIZE,MODEL,TYPE,SUBSYSTEMS,MAJ:MIN 2>/dev/null");
    if (listing.empty())
        GTEST_SKIP() << "lsblk is not available";
    struct Disk {
        std::string name, model;
        std::int64_t size;
    };
    std::vector<Disk> expected;
    const std::regex line(
        R"lsblk(NAME="([^"]*)" SIZE="(\d*)" MODEL="([^"]*)" TYPE="([^"]*)" SUBSYSTEMS="([^"]*)" MAJ:MIN="(\d+):)lsblk");
    const std::regex emmcArea(R"(mmcblk\d+(boot\d+|rpmb|gp\d+))");
    for (std::sregex_iterator it(listing.begin(), listing.end(), line), end; it != end; ++it) {
        const std::string name = (*it)[1];
        const bool counted = (*it)[4] == "disk" && (*it)[5] != "block" && (*it)[6] != "2" &&
                             !std::regex_match(name, emmcArea);
        if (counted)
            expected.push_back({name, (*it)[3], std::stoll("0" + (*it)[2].str())});
    }
    std::sort(expected.begin(), expected.end(), [](const Disk& a, const Disk& b) { return a.name < b.name; });
    std::vector<std::string> expectedNames;
    for (const auto& disk : expected)
        expectedNames.push_back(disk.name);
    EXPECT_EQ(PhysicalDriveNames("/sys"), expectedNames);

    TDiskDriveInventory disks(CreateSystemWbemServices());
    disks.SetActive(true);
    ASSERT_EQ(disks.ObjectsCount(), static_cast<int>(expected.size()));
    for (int index = 1; index <= disks.ObjectsCount(); ++index) {
        disks.SetObjectIndex(index);
        const Disk& disk = expected[static_cast<size_t>(index - 1)];
        const TDiskDriveProperties& p = disks.DiskDriveProperties();
        EXPECT_EQ(p.Size, disk.size) << disk.name;
        EXPECT_EQ(p.Index, static_cast<std::uint32_t>(index - 1)) << disk.name;
        // Without udev lsblk shows the SCSI layer's model, which holds 16 characters of an
        // ATA model; the inventory has the whole one.
        if (!disk.model.empty()) {
            EXPECT_TRUE(p.Model == disk.model || (disk.model.size() == 16 && p.Model.starts_with(disk.model)))
                << disk.name << ": " << p.Model << " against " << disk.model;
        }
    }
}

// qm-disks prints the count alone, then one tab-separated line per disk in drive order.
TEST(SysfsDiskDrives, QmDisksListsThisMachinesDisks)
{
    const std::vector<std::string> disks = PhysicalDriveNames("/sys");
    const std::string output = RunCommand(QM_DISKS_TOOL);
    std::vector<std::string> lines;
    for (size_t start = 0; start < output.size();) {
        const size_t end = output.find('\n', start);
        ASSERT_NE(end, std::string::npos) << "every line ends with a line break";
        lines.push_back(output.substr(start, end - start));
        start = end + 1;
    }
    ASSERT_EQ(lines.size(), disks.size() + 1) << output;
    EXPECT_EQ(lines[0], std::to_string(disks.size()));
    for (size_t i = 0; i < disks.size(); ++i) {
        const std::string deviceId = "\\\\\\\\.\\\\PHYSICALDRIVE" + std::to_string(i);
        std::int64_t sectors = 0;
        std::ifstream("/sys/block/" + disks[i] + "/size") >> sectors;
        const std::string size = std::to_string(sectors * 512);
        EXPECT_EQ(lines[i + 1].substr(0, deviceId.size() + 1), deviceId + "\t") << lines[i + 1];
        EXPECT_NE(lines[i + 1].find("\t" + size + "\t"), std::string::npos) << lines[i + 1];
    }
}
