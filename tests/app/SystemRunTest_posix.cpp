#include "FakeMainView.h"
#include "PhpReceiver.h"

#include "app/SystemOperations.h"
#include "app/Unit1.h"

#include <gtest/gtest.h>

#include <filesystem>

// The whole run from the click to the stored report, with this machine's inventory, drives and
// sockets, posting to the reference receiver.
TEST(SystemRun, ClickToReportStoredByTheReceiver)
{
    PhpReceiver receiver;
    ASSERT_TRUE(receiver.Running());
    FakeMainView view;
    SystemOperations system;
    system.Loaded();
    TForm1 form(view, system.Operations(), receiver.UploadURL());
    form.HandleEvent([&] { form.FormShow(); });
    ASSERT_EQ(view.Events.size(), 1u) << view.Events.front();
    view.Events.clear();

    view.User = "Jo Smith";
    view.Phone = "0412 555 019";
    view.Email = "jo@example.com";
    form.edUserExit();
    form.edPhoneExit();
    form.edEmailExit();
    form.HandleEvent([&] { form.btnScanClick(); });

    ASSERT_FALSE(view.Events.empty());
    const std::string confirmation = "plain: Report received for Jo Smith: " + std::to_string(form.DiskCount) + " disk";
    EXPECT_EQ(view.Events.back().substr(0, confirmation.size()), confirmation) << view.Events.back();
    EXPECT_EQ(receiver.OnlyStoredReport(), form.Memo1.Text());
    for (const auto& entry : std::filesystem::directory_iterator("."))
        EXPECT_NE(entry.path().extension(), ".smart") << entry.path();
    form.HandleEvent([&] { form.FormClose(); });
}
