#pragma once

#include "EmulatedScsiDisk.h"
#include "UsbGadgetEndpoints.h"

#include <cstdint>
#include <cstdio>
#include <span>
#include <vector>

// USB mass storage Bulk-Only Transport over the gadget's bulk endpoints: a 31-byte command
// wrapper ("USBC") in, the data stage the wrapper announces, a 13-byte status wrapper ("USBS") out
// with the data residue, or a phase error where host and command disagree on the data. Every
// command block is logged, one line each.
class BulkOnlyDevice {
public:
    BulkOnlyDevice(UsbGadgetEndpoints& usb, EmulatedScsiDisk& disk, std::FILE* log) : usb_(usb), disk_(disk), log_(log) {}

    [[noreturn]] void Serve();

private:
    void ServeOne();
    std::vector<std::uint8_t> ReceiveData(std::uint32_t expected);
    std::uint32_t SendData(const std::vector<std::uint8_t>& data, std::uint32_t expected);
    void Log(std::span<const std::uint8_t> cdb, std::uint32_t expected, bool toHost);

    UsbGadgetEndpoints& usb_;
    EmulatedScsiDisk& disk_;
    std::FILE* log_;
};
