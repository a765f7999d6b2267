#pragma once

#include "smart/DeviceBlocks.h"
#include "smart/DriveIo.h"

#include <array>
#include <cstdint>

// NVMe admin data through IOCTL_STORAGE_QUERY_PROPERTY with the protocol-specific property: the
// SMART / Health Information log page and the Identify Controller block.

// The query and its answer share one buffer: the protocol data descriptor and room for the
// largest data asked for (Identify's 4096 bytes).
using NvmeQueryBlock = std::array<std::uint8_t, blocks::protocol::DescriptorSize + blocks::nvme::IdentifySize>;

// Zero-fill the block and set up the query. Each gives the part of the block that is sent and
// announced for the answer: the descriptor and the room for the data asked for.
blocks::MutableBytes PrepareHealthLogQuery(NvmeQueryBlock& block);
blocks::MutableBytes PrepareIdentifyControllerQuery(NvmeQueryBlock& block);

enum class NvmeQueryResult {
    Answered,   // `data` holds the `length` bytes asked for
    Failed,     // the request failed; the last error tells why
    Malformed,  // the driver said yes but its answer does not hold the data asked for
};

// Sends a prepared query and finds the data in a well-formed answer descriptor.
NvmeQueryResult SendNvmeQuery(DriveHandle& handle, NvmeQueryBlock& block, blocks::MutableBytes request,
                              std::size_t length, blocks::Bytes& data);
