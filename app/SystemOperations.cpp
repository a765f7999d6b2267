#include "app/SystemOperations.h"

#include "net/HttpClient.h"
#include "net/MultipartFormData.h"
#include "smart/smartapi.h"
#include "wmi/DiskDriveInventory.h"

namespace {

class WmiDiskInventory : public DiskInventory {
public:
    void SetActive(bool active) override { DiskDriveInventory1.SetActive(active); }
    int ObjectsCount() const override { return DiskDriveInventory1.ObjectsCount(); }

    TDiskDriveInventory DiskDriveInventory1 {CreateSystemWbemServices()};
};

class MultipartUpload : public PreparedUpload {
public:
    MultipartUpload(THttpClient& http, const std::string& fileName) : http_(http)
    {
        body_.AddFile("file", fileName, "application/octet-stream");
    }

    void Post(const std::string& url, TStream& reply) override { http_.Post(url, body_, reply); }

private:
    THttpClient& http_;
    TMultipartFormDataStream body_;
};

class HttpReportUploader : public ReportUploader {
public:
    HttpReportUploader()
    {
        // The window's stored settings differ from a new client's in these.
        HTTP.HTTPOptions.clear();
        HTTP.ReadTimeout = UploadReadTimeout;
    }

    std::unique_ptr<PreparedUpload> Prepare(const std::string& fileName) override
    {
        return std::make_unique<MultipartUpload>(HTTP, fileName);
    }

    THttpClient HTTP;
};

} // namespace

struct SystemOperations::Parts {
    WmiDiskInventory Inventory;
    HttpReportUploader Uploader;
};

SystemOperations::SystemOperations() : parts_(std::make_unique<Parts>()) {}

SystemOperations::~SystemOperations() = default;

void SystemOperations::Loaded()
{
    parts_->Inventory.DiskDriveInventory1.ReadStoredSettings(".", false);
}

void SystemOperations::SetUploadReadTimeout(int milliseconds)
{
    parts_->Uploader.HTTP.ReadTimeout = milliseconds;
}

int SystemOperations::UploadReadTimeout() const
{
    return parts_->Uploader.HTTP.ReadTimeout;
}

RunOperations SystemOperations::Operations()
{
    return {parts_->Inventory, parts_->Uploader,
            [](std::int32_t driveNum, TDriveResult& drive, TSmartResult& smart) {
                return ReadSmartInfo(driveNum, drive, smart);
            },
            [] { return LocalNow(); }};
}
