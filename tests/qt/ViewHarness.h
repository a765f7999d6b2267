#pragma once

#include "app/qt/Form1View.h"
#include "base/Exception.h"
#include "base/Streams.h"

#include <QString>

#include <vector>

// A main window over scripted back ends whose boxes are recorded instead of shown.
struct RecordedBox {
    BoxKind Kind;
    QString Text;
    bool WindowVisible; // whether the main window was on screen when the box came
};

class ScriptedInventory : public DiskInventory {
public:
    int Count = 0;
    void SetActive(bool) override {}
    int ObjectsCount() const override { return Count; }
};

class ScriptedUploader : public ReportUploader {
public:
    std::string Reply = "Thank you";
    bool OpenFails = false;

    class Upload : public PreparedUpload {
    public:
        explicit Upload(const std::string& reply) : reply_(reply) {}
        void Post(const std::string&, TStream& reply) override
        {
            reply.WriteBuffer(reply_.data(), static_cast<std::int32_t>(reply_.size()));
        }

    private:
        std::string reply_;
    };

    std::unique_ptr<PreparedUpload> Prepare(const std::string& fileName) override
    {
        if (OpenFails)
            throw EFOpenError("Cannot open file \"" + fileName + "\". Access is denied");
        return std::make_unique<Upload>(Reply);
    }
};

struct ViewHarness {
    ScriptedInventory Inventory;
    ScriptedUploader Uploader;
    std::vector<RecordedBox> Boxes;
    Form1View View {{Inventory, Uploader,
                     [](std::int32_t, TDriveResult& drive, TSmartResult&) {
                         drive.ErrorText = "SMART Not Supported";
                         drive.Failure = DriveFailure::SmartNotSupported;
                         return false;
                     },
                     [] { return TDateTimeParts {2026, 12, 7, 9, 24, 44, 0}; }},
                    "http://127.0.0.1:8080/vellumbox/upload.php",
                    [this](QWidget*, BoxKind kind, const QString& text) {
                        Boxes.push_back({kind, text, View.isVisible()});
                    }};
};
