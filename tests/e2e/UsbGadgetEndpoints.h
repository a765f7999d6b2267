#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <thread>

// The USB side of the emulated bridge: one mass-storage interface (class 08h, SCSI transparent
// command set 06h, Bulk-Only Transport 50h) with a bulk IN and a bulk OUT endpoint, offered to the
// gadget through a mounted FunctionFS instance. Endpoint 0 is served on a thread of its own: it
// answers Get Max LUN and Bulk-Only Mass Storage Reset, and stalls every other request that
// reaches the function.
class UsbGadgetEndpoints {
public:
    // Writes the descriptors and strings to FOLDER/ep0; the bulk endpoints' files exist from then
    // on, and the gadget can be bound to a device controller. Throws std::runtime_error.
    explicit UsbGadgetEndpoints(const std::string& folder);
    ~UsbGadgetEndpoints();
    UsbGadgetEndpoints(const UsbGadgetEndpoints&) = delete;
    UsbGadgetEndpoints& operator=(const UsbGadgetEndpoints&) = delete;

    // Blocking transfers; the number of bytes moved, -1 when the transfer failed (the host reset
    // the device or the function was disabled).
    long ReceiveBulk(std::span<std::uint8_t> buffer);
    bool SendBulk(std::span<const std::uint8_t> data);
    // Halts an endpoint: the host sees STALL until it clears the halt.
    void HaltIn();
    void HaltOut();
    // The bulk IN endpoint's packet size at the speed the host enumerated.
    std::size_t InPacketSize();

    // Waits for the host's Bulk-Only Mass Storage Reset (after a command wrapper it could not take
    // the device can only be recovered that way).
    void AwaitReset();

private:
    void ServeControl();
    void AnswerSetup(const std::uint8_t* setup);

    int control_ = -1;
    int in_ = -1;
    int out_ = -1;
    std::mutex mutex_;
    std::condition_variable resetSeen_;
    unsigned resets_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread controlThread_;
};
