#pragma once

#include "base/DosDateTime.h"
#include "base/Streams.h"
#include "smart/SmartTypes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// The disk inventory as the window uses it: activated when shown, deactivated when closed.
class DiskInventory {
public:
    virtual ~DiskInventory() = default;
    virtual void SetActive(bool active) = 0;
    virtual int ObjectsCount() const = 0;
};

// One upload in the making: its body holds the report file open until the object goes.
class PreparedUpload {
public:
    virtual ~PreparedUpload() = default;
    // Posts the body; the reply body goes into reply. Raises on any failure of the exchange.
    virtual void Post(const std::string& url, TStream& reply) = 0;
};

class ReportUploader {
public:
    virtual ~ReportUploader() = default;
    // Builds the multipart body with the one file field "file"; raises when the file cannot be opened.
    virtual std::unique_ptr<PreparedUpload> Prepare(const std::string& fileName) = 0;
};

using SmartReader = std::function<bool(std::int32_t driveNum, TDriveResult& drive, TSmartResult& smart)>;
using LocalClock = std::function<TDateTimeParts()>;

// What a test run works with besides the widgets.
struct RunOperations {
    DiskInventory& Inventory;
    ReportUploader& Uploader;
    SmartReader ReadSmartInfo;
    LocalClock Now;
};
