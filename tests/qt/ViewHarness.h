#pragma once

#include "app/qt/Form1View.h"
#include "tests/app/FakeRunOperations.h"

#include <QString>

#include <vector>

// A main window over scripted back ends whose boxes are recorded instead of shown.
struct RecordedBox {
    BoxKind Kind;
    QString Text;
    bool WindowVisible; // whether the main window was on screen when the box came
};

struct ViewHarness {
    FakeInventory Inventory;
    FakeUploader Uploader;
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
