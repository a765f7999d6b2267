#pragma once

#include "app/ConsoleOptions.h"
#include "app/MainView.h"

#include <functional>
#include <string>

// Where a run without a window writes; each returns false when not all bytes were written.
struct ConsoleStreams {
    std::function<bool(const std::string&)> Out;
    std::function<bool(const std::string&)> Err;
};

// The main window's view on a terminal: the contact fields hold the command line's entries
// (contact allowed), the status line, every box and a line per disk read go to standard error,
// and the server's reply to standard output unchanged. The greeting is for the person at the
// window; a terminal run goes straight to work.
class ConsoleView : public MainView {
public:
    ConsoleView(const ConsoleOptions& options, ConsoleStreams streams);

    std::string UserText() const override { return user_; }
    std::string PhoneText() const override { return phone_; }
    void SetPhoneText(const std::string& text) override { phone_ = text; }
    std::string EmailText() const override { return email_; }
    std::string ContactText() const override;
    int ContactIndex() const override { return 0; }
    void SetScanEnabled(bool) override {}
    void SetStatusText(const std::string& text) override;
    void ShowWarning(const std::string& text) override;
    void ShowInformation(const std::string& text) override;
    void ShowPlain(const std::string& text) override;
    void ShowError(const std::string& text) override;
    void ShowGreeting(const std::string&) override {}
    void DiskRead(int ordinal, int total, bool ok, const TDriveResult& drive, const TSmartResult& smart) override;
    void ReportSaved(const std::string& fileName) override { savedReport_ = fileName; }
    void ShowPostFailure(const std::string& text) override;
    void ShowServerReply(const std::string& reply) override;
    void ShowPreview(const std::string&) override {}
    void Close() override {}

    // The run's outcome as the exit status tells it.
    bool ErrorShown() const { return errorShown_; }
    bool PostFailed() const { return postFailed_; }
    // The report file's name once it has been saved; empty before.
    const std::string& SavedReport() const { return savedReport_; }

private:
    void Line(const std::string& text);

    ConsoleStreams streams_;
    std::string user_;
    std::string phone_;
    std::string email_;
    std::string savedReport_;
    bool errorShown_ = false;
    bool postFailed_ = false;
};
