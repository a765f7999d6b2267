#pragma once

#include "smart/StoredBlocksDrive.h"

#include <vector>

// Stored-blocks ATA disks with full attribute tables (30 entries, the most a drive holds), each
// disk with its own model, serial number, values and thresholds, some attributes failing or
// warning, so a run takes every path the judgement and the report lines have.
std::vector<StoredDrive> BenchDisks(int count);
