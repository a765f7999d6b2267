#pragma once

#include "smart/SmartTypes.h"

#include <string>

// What the main window's logic needs of the widgets; the Win32 and Qt windows implement it and
// tests record it. Texts are CP1252.
class MainView {
public:
    virtual ~MainView() = default;

    virtual std::string UserText() const = 0;
    virtual std::string PhoneText() const = 0;
    virtual void SetPhoneText(const std::string& text) = 0;
    virtual std::string EmailText() const = 0;
    // The displayed text and the index of the contact drop-down's chosen entry.
    virtual std::string ContactText() const = 0;
    virtual int ContactIndex() const = 0;

    virtual void SetScanEnabled(bool enabled) = 0;
    // Sets the status line and repaints it at once.
    virtual void SetStatusText(const std::string& text) = 0;

    // Modal boxes with one "OK" button: caption "Warning" with the exclamation icon, caption
    // "Information" with the information icon, the application title without icon, and the
    // default error box (application title, error icon).
    virtual void ShowWarning(const std::string& text) = 0;
    virtual void ShowInformation(const std::string& text) = 0;
    virtual void ShowPlain(const std::string& text) = 0;
    virtual void ShowError(const std::string& text) = 0;

    // What the run tells as it goes, each for what it means: the greeting when the window is
    // shown, each disk once read (its place from 1 to total among the disks of the run, and what
    // the reading gave), the report file once saved, the POST's failure (the whole box text) and
    // the server's reply to the upload.
    virtual void ShowGreeting(const std::string& text) = 0;
    virtual void DiskRead(int ordinal, int total, bool ok, const TDriveResult& drive, const TSmartResult& smart) = 0;
    virtual void ReportSaved(const std::string& fileName) = 0;
    virtual void ShowPostFailure(const std::string& text) = 0;
    virtual void ShowServerReply(const std::string& reply) = 0;

    // Fills the preview with the text and shows it modally.
    virtual void ShowPreview(const std::string& text) = 0;
    // Asks the main window to close.
    virtual void Close() = 0;
};
