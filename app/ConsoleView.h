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

// The stage of the run, which decides where a box's text goes: the greeting of the show step
// is left out, and of the run's plain boxes the last one holds the server's reply.
enum class ConsoleStage { Checking, Showing, Running };

// The main window's view on a terminal: the contact fields hold the command line's entries
// (contact allowed), the status line and every box go to standard error as lines, and the
// server's reply to standard output unchanged.
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
    void ShowPreview(const std::string&) override {}
    void Close() override {}

    void SetStage(ConsoleStage stage) { stage_ = stage; }
    // Told by the upload as it goes: the body was made, the POST raised. The plain box after a
    // raised POST holds its error text; the one after that (or the first) the reply.
    void UploadPrepared() { uploadPrepared_ = true; }
    void PostFailed() { postFailed_ = true; }

    bool Refused() const { return refused_; }
    bool ErrorShown() const { return errorShown_; }

private:
    void Line(const std::string& text);

    ConsoleStreams streams_;
    std::string user_;
    std::string phone_;
    std::string email_;
    ConsoleStage stage_ = ConsoleStage::Checking;
    bool uploadPrepared_ = false;
    bool postFailed_ = false;
    bool failureTold_ = false;
    bool refused_ = false;
    bool errorShown_ = false;
};
