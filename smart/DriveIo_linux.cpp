// The drive interface on Linux: the Windows control codes answered through sysfs, the block
// device ioctls, SCSI generic (SG_IO) requests and NVMe admin commands on /dev nodes.

#include "smart/AtaPassThrough.h"
#include "smart/DeviceAnswers.h"
#include "smart/DeviceBlocks.h"
#include "smart/DriveIo.h"
#include "smart/DrivePath.h"
#include "smart/NvmeAdmin.h"
#include "smart/SysfsDisks.h"

#include "base/PhysicalDrives.h"
#include "base/SystemError.h"

#include <algorithm>
#include <cerrno>
#include <map>
#include <optional>

#include <fcntl.h>
#include <linux/fs.h>
#include <linux/nvme_ioctl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

using namespace blocks;

constexpr std::uint8_t SenseBufferSize = 64;

// Runs one SG_IO request; the kernel's refusal is the answer's system error.
SgAnswer RunSgIo(int fd, const SgRequest& request, std::span<std::uint8_t> data, std::uint8_t senseSize)
{
    SgAnswer outcome;
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
    if (::ioctl(fd, SG_IO, &header) != 0) {
        outcome.SystemError = errno;
        outcome.Sense.clear();
        return outcome;
    }
    outcome.ScsiStatus = header.status;
    outcome.HostStatus = header.host_status;
    outcome.DriverStatus = header.driver_status;
    outcome.Sense.resize(std::min<std::size_t>(header.sb_len_wr, senseSize));
    const int residual = std::clamp(header.resid, 0, static_cast<int>(header.dxfer_len));
    outcome.Transferred = header.dxfer_len - static_cast<std::uint32_t>(residual);
    return outcome;
}

class LinuxDriveIo : public DriveIo {
public:
    LinuxDriveIo(std::string sysRoot, std::string devRoot) : sysRoot_(std::move(sysRoot)), devRoot_(std::move(devRoot)) {}

    DriveHandle Open(const std::string& path) override
    {
        const auto name = DiskName(path);
        if (!name) {
            lastError_ = ENOENT;
            return {};
        }
        const std::string node = devRoot_ + "/" + *name;
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

    std::optional<UsbDeviceId> UsbDeviceIdOf(const std::string& path) override
    {
        const auto name = DiskName(path);
        return name ? UsbDeviceIdOfSysfsDisk(sysRoot_, *name) : std::nullopt;
    }

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
            return QueryProperty(fd, found->second, input, output, bytesReturned);
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
    std::optional<std::string> DiskName(const std::string& path) const
    {
        const std::optional<std::size_t> index = PhysicalDriveIndex(path);
        if (!index)
            return std::nullopt;
        const std::vector<std::string> disks = PhysicalDriveNames(sysRoot_);
        if (*index >= disks.size())
            return std::nullopt;
        return disks[*index];
    }

    bool Fail(int code)
    {
        lastError_ = static_cast<unsigned>(code);
        return false;
    }

    bool QueryProperty(int fd, const std::string& name, std::span<const std::uint8_t> input,
                       std::span<std::uint8_t> output, std::uint32_t& bytesReturned)
    {
        const auto property = QueriedProperty(input);
        if (!property)
            return Fail(EINVAL);
        if (*property == protocol::DeviceProtocolSpecificProperty)
            return NvmeAdmin(fd, input, output, bytesReturned);
        if (*property != protocol::DeviceProperty)
            return Fail(EOPNOTSUPP);
        if (output.size() < descriptor::HeaderSize)
            return Fail(EINVAL);
        bytesReturned = CopyAnswer(BuildStorageDescriptor(DescribeSysfsDisk(sysRoot_, name)), output);
        return true;
    }

    // The protocol-specific query of an NVMe disk: its admin command. A device that is none
    // refuses the ioctl (ENOTTY), as Windows refuses the query for a disk of another protocol.
    bool NvmeAdmin(int fd, std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                   std::uint32_t& bytesReturned)
    {
        const auto query = ParseProtocolQuery(input, output.size());
        if (!query)
            return Fail(EINVAL);
        const auto command = NvmeAdminFromQuery(*query);
        if (!command)
            return Fail(EOPNOTSUPP);
        std::vector<std::uint8_t> data(command->DataLength, 0);
        nvme_admin_cmd request{};
        request.opcode = command->Opcode;
        request.nsid = command->NamespaceId;
        request.addr = reinterpret_cast<std::uintptr_t>(data.data());
        request.data_len = command->DataLength;
        request.cdw10 = command->Cdw10;
        request.cdw11 = command->Cdw11;
        request.cdw12 = command->Cdw12;
        request.cdw13 = command->Cdw13;
        request.timeout_ms = command->TimeoutMs;
        const int status = ::ioctl(fd, NVME_IOCTL_ADMIN_CMD, &request);
        if (status < 0)
            return Fail(errno);
        // A positive result is the NVMe status of a command the controller ended with an error.
        if (status > 0)
            return Fail(EIO);
        bytesReturned = CompleteProtocolQuery(output, *query, data);
        return true;
    }

    bool SmartCommand(int fd, bool dataIn, std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                      std::uint32_t& bytesReturned)
    {
        const std::size_t needed = smartout::Data + (dataIn ? smartout::DataSize : 0);
        if (input.size() < smartin::SentSize || output.size() < needed)
            return Fail(EINVAL);
        const AtaTaskFile taskFile = TaskFileFromSmartRequest(input);
        std::array<std::uint8_t, smartout::DataSize> data{};
        const AtaCommandResult result = SendAtaCommand(
            taskFile, dataIn, [&](const SgRequest& request) { return RunSgIo(fd, request, data, SenseBufferSize); });
        if (result.SystemError != 0)
            return Fail(result.SystemError);
        bytesReturned = SmartOutputOfAtaCommand(output, result, dataIn, data);
        return result.Outcome.Completed || Fail(EIO);
    }

    bool Geometry(int fd, const std::string& name, std::span<std::uint8_t> output, std::uint32_t& bytesReturned)
    {
        if (output.size() < geometry::Size)
            return Fail(EINVAL);
        std::uint64_t size = 0;
        int sectorSize = 0;
        if (::ioctl(fd, BLKGETSIZE64, &size) != 0 || ::ioctl(fd, BLKSSZGET, &sectorSize) != 0)
            return Fail(errno);
        const auto removable = ReadSysfsAttribute(sysRoot_ + "/block/" + name + "/removable");
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
        const SgAnswer result = RunSgIo(fd, sg, data, request->SenseLength);
        if (result.SystemError != 0)
            return Fail(result.SystemError);
        if (result.HostStatus != 0)
            return Fail(EIO);
        bytesReturned = CompleteScsiPassThrough(output, *request, result.ScsiStatus, result.Sense,
                                                std::span(data).first(result.Transferred));
        return true;
    }

    std::string sysRoot_;
    std::string devRoot_;
    std::map<std::intptr_t, std::string> names_;
    unsigned lastError_ = 0;
};

} // namespace

std::unique_ptr<DriveIo> CreateSysfsDriveIo(const std::string& sysRoot, const std::string& devRoot)
{
    return std::make_unique<LinuxDriveIo>(sysRoot, devRoot);
}

std::unique_ptr<DriveIo> CreateSystemDriveIo()
{
    return CreateSysfsDriveIo("/sys", "/dev");
}
