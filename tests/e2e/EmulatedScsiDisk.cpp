#include "EmulatedScsiDisk.h"

#include <algorithm>
#include <utility>

namespace {

constexpr std::uint32_t BlockSize = 512;
// The largest READ the disk serves; the kernel's USB storage transfers stay far below it.
constexpr std::uint64_t MaxReadBlocks = 2048;

constexpr std::uint8_t IllegalRequest = 0x05;
constexpr std::uint8_t DataProtect = 0x07;
constexpr std::uint8_t InvalidOpcode = 0x20;
constexpr std::uint8_t LbaOutOfRange = 0x21;
constexpr std::uint8_t InvalidFieldInCdb = 0x24;
constexpr std::uint8_t WriteProtected = 0x27;

std::uint64_t BigEndian(std::span<const std::uint8_t> b, std::size_t at, std::size_t count)
{
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < count; ++i)
        v = v << 8 | b[at + i];
    return v;
}

void PutBigEndian(std::vector<std::uint8_t>& out, std::size_t at, std::uint64_t v, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        out[at + i] = static_cast<std::uint8_t>(v >> (8 * (count - 1 - i)));
}

void PutText(std::vector<std::uint8_t>& out, std::size_t at, const std::string& text, std::size_t width)
{
    for (std::size_t i = 0; i < width; ++i)
        out[at + i] = static_cast<std::uint8_t>(i < text.size() ? text[i] : ' ');
}

ScsiReply Good(std::vector<std::uint8_t> data = {})
{
    return {0, {}, std::move(data)};
}

ScsiReply Check(std::uint8_t key, std::uint8_t asc)
{
    return {2, FixedSenseData(key, asc, 0), {}};
}

// The caching mode page: write cache and read-ahead off; nothing for the host to flush.
std::vector<std::uint8_t> CachingPage()
{
    std::vector<std::uint8_t> page(20);
    page[0] = 0x08;
    page[1] = 18;
    return page;
}

} // namespace

std::vector<std::uint8_t> FixedSenseData(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq)
{
    std::vector<std::uint8_t> sense(18);
    sense[0] = 0x70;
    sense[2] = key;
    sense[7] = 10;
    sense[12] = asc;
    sense[13] = ascq;
    return sense;
}

EmulatedScsiDisk::EmulatedScsiDisk(DiskIdentity identity, BridgeAnswer bridge)
    : identity_(std::move(identity)), bridge_(std::move(bridge))
{
}

bool EmulatedScsiDisk::TakesDataOut(std::span<const std::uint8_t> cdb)
{
    // WRITE (10) and (16), MODE SELECT (6) and (10)
    return cdb[0] == 0x2A || cdb[0] == 0x8A || cdb[0] == 0x15 || cdb[0] == 0x55;
}

ScsiReply EmulatedScsiDisk::Answer(std::span<const std::uint8_t> cdb, std::span<const std::uint8_t> dataOut,
                                   std::size_t dataInLength)
{
    ScsiReply reply;
    switch (cdb[0]) {
    case 0x00:  // TEST UNIT READY
    case 0x1B:  // START STOP UNIT
    case 0x1E:  // PREVENT ALLOW MEDIUM REMOVAL
    case 0x35:  // SYNCHRONIZE CACHE (10)
    case 0x91:  // SYNCHRONIZE CACHE (16)
        reply = Good();
        break;
    case 0x03:
        return RequestSense(cdb);
    case 0x12:
        reply = Inquiry(cdb);
        break;
    case 0x1A:
    case 0x5A:
        reply = ModeSense(cdb);
        break;
    case 0x25: {  // READ CAPACITY (10): a disk too large for it says FFFFFFFFh
        std::vector<std::uint8_t> data(8);
        PutBigEndian(data, 0, std::min<std::uint64_t>(identity_.Blocks - 1, 0xFFFFFFFF), 4);
        PutBigEndian(data, 4, BlockSize, 4);
        reply = Good(std::move(data));
        break;
    }
    case 0x9E:
        reply = (cdb[1] & 0x1F) == 0x10 ? ReadCapacity16() : Check(IllegalRequest, InvalidFieldInCdb);
        break;
    case 0x28:
        reply = Read(BigEndian(cdb, 2, 4), BigEndian(cdb, 7, 2));
        break;
    case 0x88:
        reply = Read(BigEndian(cdb, 2, 8), BigEndian(cdb, 10, 4));
        break;
    case 0x2A:
    case 0x8A:
        reply = Check(DataProtect, WriteProtected);
        break;
    default:
        reply = bridge_ ? bridge_(cdb, dataOut, dataInLength) : Check(IllegalRequest, InvalidOpcode);
        reply.Bridged = true;
        break;
    }
    lastSense_ = reply.Status == 0 ? std::vector<std::uint8_t>{} : reply.Sense;
    return reply;
}

// The sense of the last command that failed, once; "no sense" when there is none. The host asks
// for it itself after every CHECK CONDITION, as USB mass storage carries no sense in its status.
ScsiReply EmulatedScsiDisk::RequestSense(std::span<const std::uint8_t> cdb)
{
    std::vector<std::uint8_t> sense = lastSense_.empty() ? FixedSenseData(0, 0, 0) : lastSense_;
    lastSense_.clear();
    sense.resize(std::min<std::size_t>(sense.size(), cdb[4]));
    return Good(std::move(sense));
}

ScsiReply EmulatedScsiDisk::Inquiry(std::span<const std::uint8_t> cdb) const
{
    const std::size_t allocation = BigEndian(cdb, 3, 2);
    std::vector<std::uint8_t> data;
    if ((cdb[1] & 1) == 0) {
        if (cdb[2] != 0)
            return Check(IllegalRequest, InvalidFieldInCdb);
        data.assign(36, 0);
        data[2] = 0x06;  // SPC-4
        data[3] = 0x02;
        data[4] = 31;
        PutText(data, 8, identity_.Vendor, 8);
        PutText(data, 16, identity_.Product, 16);
        PutText(data, 32, identity_.Revision, 4);
    } else if (cdb[2] == 0x00) {  // the pages supported
        data = {0, 0x00, 0, 3, 0x00, 0x80, 0x83};
    } else if (cdb[2] == 0x80) {  // unit serial number
        data = {0, 0x80, 0, static_cast<std::uint8_t>(identity_.Serial.size())};
        data.insert(data.end(), identity_.Serial.begin(), identity_.Serial.end());
    } else if (cdb[2] == 0x83) {  // device identification: the vendor and the serial as T10 vendor ID
        const std::string id = identity_.Vendor + identity_.Serial;
        data = {0, 0x83, 0, static_cast<std::uint8_t>(4 + id.size()), 0x02, 0x01, 0, static_cast<std::uint8_t>(id.size())};
        data.insert(data.end(), id.begin(), id.end());
        std::vector<std::uint8_t> vendor(8);
        PutText(vendor, 0, identity_.Vendor, 8);
        std::copy(vendor.begin(), vendor.end(), data.begin() + 8);
    } else {
        return Check(IllegalRequest, InvalidFieldInCdb);
    }
    data.resize(std::min(data.size(), allocation));
    return Good(std::move(data));
}

// MODE SENSE (6) and (10) of the caching page or of all pages, without block descriptors: the
// kernel asks for them to learn whether the disk is write-protected and caches writes.
ScsiReply EmulatedScsiDisk::ModeSense(std::span<const std::uint8_t> cdb) const
{
    const bool ten = cdb[0] == 0x5A;
    const std::uint8_t page = cdb[2] & 0x3F;
    if (page != 0x08 && page != 0x3F)
        return Check(IllegalRequest, InvalidFieldInCdb);
    const std::vector<std::uint8_t> pages = CachingPage();
    const std::size_t header = ten ? 8 : 4;
    std::vector<std::uint8_t> data(header);
    data.insert(data.end(), pages.begin(), pages.end());
    if (ten)
        PutBigEndian(data, 0, data.size() - 2, 2);
    else
        data[0] = static_cast<std::uint8_t>(data.size() - 1);
    data.resize(std::min<std::size_t>(data.size(), ten ? BigEndian(cdb, 7, 2) : cdb[4]));
    return Good(std::move(data));
}

ScsiReply EmulatedScsiDisk::ReadCapacity16() const
{
    std::vector<std::uint8_t> data(32);
    PutBigEndian(data, 0, identity_.Blocks - 1, 8);
    PutBigEndian(data, 8, BlockSize, 4);
    return Good(std::move(data));
}

ScsiReply EmulatedScsiDisk::Read(std::uint64_t lba, std::uint64_t count) const
{
    if (lba > identity_.Blocks || count > identity_.Blocks - lba)
        return Check(IllegalRequest, LbaOutOfRange);
    if (count > MaxReadBlocks)
        return Check(IllegalRequest, InvalidFieldInCdb);
    return Good(std::vector<std::uint8_t>(count * BlockSize));
}
