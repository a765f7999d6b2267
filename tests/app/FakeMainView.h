#pragma once

#include "app/Unit1.h"
#include "app/WindowView.h"

#include <string>
#include <vector>

// Records what the window logic shows, in order, as "kind: text", the run's tellings as the
// windows show them.
class FakeMainView : public WindowView {
public:
    std::string User, Phone, Email, Contact = "Yes, you may contact me.";
    int ContactChoice = 0;
    bool ScanEnabled = true;
    std::string Status = "Quillmark SMART test assistant.";
    bool Closed = false;
    std::vector<std::string> Events;

    std::string UserText() const override { return User; }
    std::string PhoneText() const override { return Phone; }
    void SetPhoneText(const std::string& text) override { Phone = text; }
    std::string EmailText() const override { return Email; }
    std::string ContactText() const override { return Contact; }
    int ContactIndex() const override { return ContactChoice; }
    void SetScanEnabled(bool enabled) override { ScanEnabled = enabled; }
    void SetStatusText(const std::string& text) override { Status = text; }
    void ShowWarning(const std::string& text) override { Events.push_back("warning: " + text); }
    void ShowInformation(const std::string& text) override { Events.push_back("information: " + text); }
    void ShowPlain(const std::string& text) override { Events.push_back("plain: " + text); }
    void ShowError(const std::string& text) override { Events.push_back("error: " + text); }
    void ShowPreview(const std::string& text) override { Events.push_back("preview: " + text); }
    void Close() override { Closed = true; }
};

// The customer's contact details typed into the window and each field left, so that the run's
// checks pass.
inline void EnterValidContact(FakeMainView& view, TForm1& form)
{
    view.User = "Jo Smith";
    view.Phone = "0412 555 019";
    view.Email = "jo@example.com";
    form.edUserExit();
    form.edPhoneExit();
    form.edEmailExit();
}
