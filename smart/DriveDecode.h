#pragma once

#include "smart/DeviceBlocks.h"
#include "smart/SmartTypes.h"

#include <cstdint>

// What the identification takes from each block a drive returns. Each routine reads only the
// bytes it is given, so a block that came back short never leads outside its buffer.

// Bus types on which a drive answers the SMART and IDENTIFY requests: ATAPI, ATA, and SATA as
// current Windows versions report disks on the standard AHCI driver.
bool TakesAtaPath(StorageBus bus);

// NVMe disks: their health log is read instead of the ATA SMART tables.
bool TakesNvmePath(StorageBus bus);

// A drive that may be an ATA disk behind a bridge translating ATA PASS-THROUGH: a direct-access
// disk (peripheral type 0) on any other bus, USB, SCSI, SAS and the rest.
bool MayBeBridgedAtaDisk(StorageBus bus, std::int32_t deviceType);

// Whether 512 bytes are an ATA IDENTIFY DEVICE block rather than what a bridge answers in its
// place: the integrity word (255) with signature A5h and a checksum that makes all 512 bytes sum
// to 0, or, where word 255 is 0, a model text of printable characters, not all blank.
bool IsValidIdentifyBlock(blocks::Bytes identify);

// Device type, removable flag, bus type, the descriptor texts and serial number, the RAID rule
// and the bus and device type names, from the descriptor buffer of which the driver returned
// the first `returned` bytes. A text offset of 0 or one at or beyond the returned bytes counts
// as absent; a text ends at its zero byte or is cut at the end of the returned bytes.
void ApplyStorageDescriptor(blocks::Bytes buffer, std::uint32_t returned, TDriveResult& drive);

// Model, serial number (unless the descriptor gave one), firmware, capacity, sector sizes,
// SMART and addressing flags, standard versions and the identify copy, from the 512-byte block.
void ApplyIdentifyData(blocks::Bytes identify, TDriveResult& drive);

// Media type, capacity and sector sizes from DISK_GEOMETRY_EX.
void ApplyDiskGeometry(blocks::Bytes geometry, TDriveResult& drive);

// Vendor, product and revision of standard INQUIRY data, each exactly as long as its field.
void ApplyStandardInquiry(blocks::Bytes data, TDriveResult& drive);

// The unit serial number page (80h); returned is the number of data bytes the device sent.
// A page whose length reaches beyond them is cut at their end.
void ApplySerialNumberPage(blocks::Bytes data, std::uint32_t returned, TDriveResult& drive);

// Model, serial number and firmware of an NVMe Identify Controller block (4096 bytes), trimmed.
void ApplyNvmeIdentify(blocks::Bytes controller, TDriveResult& drive);
