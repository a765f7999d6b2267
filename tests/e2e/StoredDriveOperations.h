#pragma once

// The drive headers come before any Windows one, whose macros share the control codes' names.
#include "smart/StoredBlocksDrive.h"
#include "smart/smartapi.h"

#include "app/SystemOperations.h"

#include <string>
#include <vector>

// A test run's operations over stored drives, for the README's pictures: the product's HTTP
// client and clock, with the disks answered by skdump blobs of real drives (one file per disk,
// disk 0 first) instead of the machine's own, which a test machine cannot open. The report has
// those drives' real attribute tables, temperatures and verdicts.
class StoredDriveOperations {
public:
    explicit StoredDriveOperations(const std::vector<std::string>& blobFiles)
        : drives_(Load(blobFiles)), inventory_(static_cast<int>(blobFiles.size()))
    {
    }

    RunOperations Operations()
    {
        const RunOperations real = system_.Operations();
        return {inventory_, real.Uploader,
                [this](std::int32_t driveNum, TDriveResult& drive, TSmartResult& smart) {
                    return ReadSmartInfo(drives_, driveNum, drive, smart);
                },
                real.Now};
    }

private:
    class StoredDriveCount : public DiskInventory {
    public:
        explicit StoredDriveCount(int count) : count_(count) {}
        void SetActive(bool) override {}
        int ObjectsCount() const override { return count_; }

    private:
        int count_;
    };

    static std::vector<StoredDrive> Load(const std::vector<std::string>& blobFiles)
    {
        std::vector<StoredDrive> drives;
        for (const auto& file : blobFiles)
            drives.push_back(LoadSkdumpFile(file));
        return drives;
    }

    SystemOperations system_;
    StoredBlocksDrive drives_;
    StoredDriveCount inventory_;
};
