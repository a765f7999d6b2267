#pragma once

#include "app/MainView.h"

// What a window makes of the run's tellings, alike in the Win32 and the Qt window: the greeting
// in the information box, the POST's error and then the server's reply each in the plain box,
// and nothing per disk read or for the saved report file.
class WindowView : public MainView {
public:
    void ShowGreeting(const std::string& text) override { ShowInformation(text); }
    void DiskRead(int, int, bool, const TDriveResult&, const TSmartResult&) override {}
    void ReportSaved(const std::string&) override {}
    void ShowPostFailure(const std::string& text) override { ShowPlain(text); }
    void ShowServerReply(const std::string& reply) override { ShowPlain(reply); }
};
