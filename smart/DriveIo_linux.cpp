// The drive interface on Linux: the Windows control codes answered through sysfs, the block
// device ioctls and SCSI generic (SG_IO) requests on /dev nodes.

#include "smart/AtaPassThrough.h"
#include "smart/DeviceAnswers.h"
#include "smart/DeviceBlocks.h"
#include "smart/DriveIo.h"
#include "smart/SysfsDisks.h"

#include "base/SystemError.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <map>
#include <optional>

#include <fcntl.h>
#include <linux/fs.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

using namespace blocks;

constexpr std::string_view DevicePrefix = "\\\\.\\PhysicalDrive";
constexpr const char* SysfsRoot = "/sys";
constexpr std::uint8_t SenseBufferSize = 64;

std::vector<std::string> PhysicalDisks()
{
    std::vector<std::string> entries;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(SysfsRoot) + "/block", error))
        entries.push_back(entry.path().filename().string());
    return PhysicalDiskNames(std::move(entries));
}

struct SgOutcome {
    std::uint8_t ScsiStatus = 0;
    std::uint16_t HostStatus = 0;
    std::uint16_t DriverStatus = 0;
    std::vector<std::uint8_t> Sense;
    std::uint32_t Transferred = 0;
};

// Runs one SG_IO request; false with errno set when the kernel refuses it.
bool RunSgIo(int fd, const SgRequest& request, std::span<std::uint8_t> data, std::uint8_t senseSize, SgOutcome& outcome)
{
    std::vector<std::uint8_t> cdb = request.Cdb;
    outcome.Sense.assign(senseSize, 0);
    sg_io_hdr_t header{};
    header.interface_id = 'S';
    header.dxfer_direction = request.Direction == SgDirection::FromDevice ? SG_DXFER_FROM_DEV
                             : request.Direction == SgDirection::ToDevice ? SG_DXFER_TO_DEV
                                                                           : SG_DXFER_NONE;
    header.cmd_len = static_cast<unsigned char>(cdb.size());
    header.cmdp = cdb.data();
    header.mx_sb_len = senseSize;
    header.sbp = outcome.Sense.data();
    header.dxfer_len = request.Direction == SgDirection::None ? 0 : request.DataLength;
    header.dxferp = request.Direction == SgDirection::None ? nullptr : data.data();
    header.timeout = request.TimeoutMs;
    if (::ioctl(fd, SG_IO, &header) != 0)
        return false;
    outcome.ScsiStatus = header.status;
    outcome.HostStatus = header.host_status;
    outcome.DriverStatus = header.driver_status;
    outcome.Sense.resize(std::min<std::size_t>(header.sb_len_wr, senseSize));
    const int residual = std::clamp(header.resid, 0, static_cast<int>(header.dxfer_len));
    outcome.Transferred = header.dxfer_len - static_cast<std::uint32_t>(residual);
    return true;
}

class LinuxDriveIo : public DriveIo {
public:
    DriveHandle Open(const std::string& path) override
    {
        const auto name = DiskName(path);
        if (!name) {
            lastError_ = ENOENT;
            return {};
        }
        const std::string node = "/dev/" + *name;
        int fd = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0 && errno == EROFS)
            fd = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            lastError_ = static_cast<unsigned>(errno);
            return {};
        }
        names_[fd] = *name;
        return DriveHandle(*this, fd);
    }

    unsigned LastError() override { return lastError_; }
    std::string SystemMessage(unsigned code) override { return SysErrorMessage(code); }

protected:
    bool IoControl(std::intptr_t handle, std::uint32_t code, std::span<const std::uint8_t> input,
                   std::span<std::uint8_t> output, std::uint32_t& bytesReturned) override
    {
        const auto found = names_.find(handle);
        if (found == names_.end())
            return Fail(EBADF);
        const int fd = static_cast<int>(handle);
        switch (code) {
        case IOCTL_STORAGE_QUERY_PROPERTY:
            if (input.size() < PropertyQuerySize || output.size() < descriptor::HeaderSize)
                return Fail(EINVAL);
            bytesReturned = CopyAnswer(BuildStorageDescriptor(DescribeSysfsDisk(SysfsRoot, found->second)), output);
            return true;
        case SMART_SEND_DRIVE_COMMAND:
        case SMART_RCV_DRIVE_DATA:
            return SmartCommand(fd, code == SMART_RCV_DRIVE_DATA, input, output, bytesReturned);
        case IOCTL_DISK_GET_DRIVE_GEOMETRY_EX:
            return Geometry(fd, found->second, output, bytesReturned);
        case IOCTL_SCSI_PASS_THROUGH:
            return PassThrough(fd, input, output, bytesReturned);
        default:
            return Fail(ENOTTY);
        }
    }

    void Close(std::intptr_t handle) noexcept override
    {
        names_.erase(handle);
        ::close(static_cast<int>(handle));
    }

private:
    static std::optional<std::string> DiskName(const std::string& path)
    {
        if (!path.starts_with(DevicePrefix) || path.size() == DevicePrefix.size())
            return std::nullopt;
        std::size_t index = 0;
        const char* last = path.data() + path.size();
        const auto [end, error] = std::from_chars(path.data() + DevicePrefix.size(), last, index);
        if (error != std::errc() || end != last)
            return std::nullopt;
        const std::vector<std::string> disks = PhysicalDisks();
        if (index >= disks.size())
            return std::nullopt;
        return disks[index];
    }

    bool Fail(int code)
    {
        lastError_ = static_cast<unsigned>(code);
        return false;
    }

    bool SmartCommand(int fd, bool dataIn, std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                      std::uint32_t& bytesReturned)
    {
        const std::size_t needed = smartout::Data + (dataIn ? smartout::DataSize : 0);
        if (input.size() < smartin::SentSize || output.size() < needed)
            return Fail(EINVAL);
        const AtaTaskFile taskFile = TaskFileFromSmartRequest(input);
        std::array<std::uint8_t, smartout::DataSize> data{};
        AtaOutcome outcome;
        for (const bool twelveByteForm : {false, true}) {
            SgOutcome result;
            if (!RunSgIo(fd, AtaPassThroughRequest(taskFile, dataIn, twelveByteForm), data, SenseBufferSize, result))
                return Fail(errno);
            outcome = DecodeAtaOutcome(result.ScsiStatus, result.HostStatus, result.DriverStatus, result.Sense);
            if (!outcome.OpcodeRejected)
                break;
        }
        const Bytes answer = dataIn && outcome.Completed ? Bytes(data) : Bytes();
        bytesReturned = FillSmartOutput(output, outcome.Completed ? 0 : ata::DriverErrorIde, outcome.Error, answer);
        return outcome.Completed || Fail(EIO);
    }

    bool Geometry(int fd, const std::string& name, std::span<std::uint8_t> output, std::uint32_t& bytesReturned)
    {
        if (output.size() < geometry::Size)
            return Fail(EINVAL);
        std::uint64_t size = 0;
        int sectorSize = 0;
        if (::ioctl(fd, BLKGETSIZE64, &size) != 0 || ::ioctl(fd, BLKSSZGET, &sectorSize) != 0)
            return Fail(errno);
        const auto removable = ReadSysfsAttribute(std::string(SysfsRoot) + "/block/" + name + "/removable");
        bytesReturned = CopyAnswer(BuildDiskGeometry(removable == "1" ? geometry::RemovableMedia : geometry::FixedMedia,
                                                     static_cast<std::uint32_t>(sectorSize), size),
                                   output);
        return true;
    }

    bool PassThrough(int fd, std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                     std::uint32_t& bytesReturned)
    {
        const auto request = ParseScsiPassThrough(input, output.size());
        if (!request)
            return Fail(EINVAL);
        const SgRequest sg = ScsiPassThroughSgRequest(*request);
        std::vector<std::uint8_t> data(sg.DataLength, 0);
        if (sg.Direction == SgDirection::ToDevice)
            data = request->DataOut;
        SgOutcome result;
        if (!RunSgIo(fd, sg, data, request->SenseLength, result))
            return Fail(errno);
        if (result.HostStatus != 0)
            return Fail(EIO);
        bytesReturned = CompleteScsiPassThrough(output, *request, result.ScsiStatus, result.Sense,
                                                std::span(data).first(result.Transferred));
        return true;
    }

    std::map<std::intptr_t, std::string> names_;
    unsigned lastError_ = 0;
};

} // namespace

std::unique_ptr<DriveIo> CreateSystemDriveIo()
{
    return std::make_unique<LinuxDriveIo>();
}
