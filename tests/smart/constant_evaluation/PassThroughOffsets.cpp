// Compiled, not run: clang++ -fsyntax-only, as the test PassThroughOffsets.ConstantEvaluation
// (tests/smart/CMakeLists.txt). A pointer computed outside its array is undefined behaviour even
// when nothing is read or written through it, and no run-time check sees it; a constant
// evaluation refuses it ("cannot refer to element ... of array"). So this file compiles only when
// CompleteScsiPassThrough computes no position outside the output block, whatever offsets the
// request carries next to counts of 0. g++ 12 does not diagnose such
// arithmetic in a constant evaluation, clang does.

#include "smart/DeviceAnswers.h"

#include <vector>

namespace {

namespace scsi = blocks::scsi;

constexpr std::uint32_t Beyond = 0xFFFFFF00;

struct Answer {
    std::uint8_t SenseLength = scsi::SenseAreaSize;
    std::uint32_t SenseOffset = scsi::SenseArea;
    std::uint8_t Direction = scsi::DataInDirection;
    std::uint32_t DataLength = scsi::DataAreaSize;
    std::uint32_t DataOffset = scsi::DataArea;
    std::size_t SenseBytes = 18;  // what the device wrote
    std::size_t DataBytes = 36;   // what the device sent
    std::size_t OutputSize = scsi::OutputSize;
};

// The number of bytes returned, with the output block exactly OutputSize bytes long.
constexpr std::uint32_t Complete(const Answer& a)
{
    std::vector<std::uint8_t> output(a.OutputSize, 0);
    ScsiPassThroughRequest request;
    request.Cdb = {scsi::InquiryOpcode, 0, 0, 0, scsi::DataAreaSize, 0};
    request.SenseLength = a.SenseLength;
    request.SenseOffset = a.SenseOffset;
    request.Direction = a.Direction;
    request.DataLength = a.DataLength;
    request.DataOffset = a.DataOffset;
    const std::vector<std::uint8_t> sense(a.SenseBytes, 0x70);
    const std::vector<std::uint8_t> data(a.DataBytes, 'D');
    return CompleteScsiPassThrough(output, request, 0, sense, data);
}

constexpr Answer With(Answer a, auto change)
{
    change(a);
    return a;
}

} // namespace

static_assert(Complete({}) == scsi::DataArea + 36, "an INQUIRY answer: header, sense and data");

static_assert(Complete(With({}, [](Answer& a) {
                  a.SenseLength = 0;
                  a.SenseOffset = Beyond;
              })) == scsi::DataArea + 36,
              "no sense asked for: its offset is not used");

static_assert(Complete(With({}, [](Answer& a) {
                  a.DataLength = 0;
                  a.DataOffset = Beyond;
              })) == scsi::SenseArea + 18,
              "no data asked for: its offset is not used");

static_assert(Complete(With({}, [](Answer& a) {
                  a.Direction = scsi::DataOutDirection;
                  a.DataOffset = Beyond;
              })) == scsi::SenseArea + 18,
              "data sent to the device: its offset (checked against the input) is not used in the output");

static_assert(Complete(With({}, [](Answer& a) {
                  a.SenseBytes = 0;
                  a.DataBytes = 0;
                  a.OutputSize = scsi::HeaderSize;
              })) == scsi::HeaderSize,
              "nothing came back: neither area's offset is used");

static_assert(Complete(With({}, [](Answer& a) { a.OutputSize = scsi::DataArea + 10; })) == scsi::DataArea + 10,
              "an output block shorter than the data area: the data is cut at its end");
