#include "FakeMainView.h"

#include "app/SystemOperations.h"
#include "app/Unit1.h"
#include "tests/net/HostileServers.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// The window with this machine's inventory, drives and sockets, posting to url; the contact
// fields filled and checked.
struct TRun {
    explicit TRun(const std::string& url) : form(view, (system.Loaded(), system.Operations()), url)
    {
        form.HandleEvent([&] { form.FormShow(); });
        EnterValidContact(view, form);
    }
    ~TRun() { form.HandleEvent([&] { form.FormClose(); }); }

    // The boxes of one click on "Execute SMART Test".
    std::vector<std::string> Click()
    {
        view.Events.clear();
        form.HandleEvent([&] { form.btnScanClick(); });
        return view.Events;
    }

    FakeMainView view;
    SystemOperations system;
    TForm1 form;
};

bool ReportFilesLeft()
{
    for (const auto& entry : std::filesystem::directory_iterator("."))
        if (entry.path().extension() == ".smart")
            return true;
    return false;
}

} // namespace

// Whatever the server does, the user is shown the error and then the reply, and the report
// file is gone afterwards.
TEST(HostileServerRun, TheUserSeesTheErrorAndTheReplyAndTheReportFileIsDeleted)
{
    for (const THostileServer& hostile : HostileServers()) {
        TLoopbackServer server({hostile.Script});
        TRun run(server.Url("/vellumbox/upload.php"));
        const std::vector<std::string> boxes = run.Click();
        std::vector<std::string> expected;
        // The message reaches the box as a C text, so a NUL in a status line ends it there.
        if (!hostile.Error.empty())
            expected.push_back("plain: Error encountered during POST: " + hostile.Error.substr(0, hostile.Error.find('\0')));
        expected.push_back("plain: " + hostile.Body);
        ASSERT_GE(boxes.size(), expected.size()) << hostile.Name;
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), boxes.end() - static_cast<std::ptrdiff_t>(expected.size())))
            << hostile.Name << ": " << boxes.back().substr(0, 200);
        EXPECT_FALSE(ReportFilesLeft()) << hostile.Name;
        EXPECT_EQ(server.Logs().at(0).Requests.size(), 1u) << hostile.Name;
    }
}

// A cookie the server sets for another domain is not sent with the next upload of the run.
TEST(HostileServerRun, ACookieForAnotherDomainIsNotSentWithTheNextUpload)
{
    TLoopbackServer server({Reply("HTTP/1.0 200 OK\r\nSet-Cookie: foreign=1; domain=.quillmark.example\r\n"
                                  "Set-Cookie: own=4; path=/\r\nContent-Length: 2\r\n\r\nok"),
                            Reply("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok")});
    TRun run(server.Url("/vellumbox/upload.php"));
    EXPECT_EQ(run.Click().back(), "plain: ok");
    EXPECT_EQ(run.Click().back(), "plain: ok");
    EXPECT_FALSE(ReportFilesLeft());
    const std::string& head = server.Logs().at(1).Requests.at(0).Head;
    EXPECT_NE(head.find("\r\nCookie: own=4\r\n"), std::string::npos) << head;
    EXPECT_EQ(head.find("foreign"), std::string::npos) << head;
}

// A server that takes the upload and never answers: after the read limit without a byte from it
// the user sees "Read Timeout" like any failed POST, and the report file is deleted. The window
// waits 60 s; the test shortens that.
TEST(HostileServerRun, AServerThatNeverAnswersEndsInTheReadTimeOutAndTheFileIsDeleted)
{
    const struct {
        TLoopbackServer::TScript Script;
        std::string Reply;
    } silent[] = {
        {[](TPeer& peer) {
             peer.ReadRequest();
             peer.ReadToClose();
         },
         ""},
        {[](TPeer& peer) {
             peer.ReadRequest();
             peer.Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nthe start");
             peer.ReadToClose();
         },
         "the start"},
    };
    for (const auto& c : silent) {
        TLoopbackServer server({c.Script});
        TRun run(server.Url("/vellumbox/upload.php"));
        EXPECT_EQ(run.system.UploadReadTimeout(), 60000);
        run.system.SetUploadReadTimeout(300);
        const std::vector<std::string> boxes = run.Click();
        ASSERT_GE(boxes.size(), 2u);
        EXPECT_EQ(boxes[boxes.size() - 2], "plain: Error encountered during POST: Read Timeout");
        EXPECT_EQ(boxes.back(), "plain: " + c.Reply);
        EXPECT_FALSE(ReportFilesLeft());
        EXPECT_TRUE(server.Logs().at(0).ClientClosed);
    }
}
