#include "FakeMainView.h"
#include "PhpReceiver.h"

#include "app/SystemOperations.h"
#include "app/Unit1.h"
#include "base/FileSystem.h"
#include "base/SystemError.h"
#include "tests/base/PlantedEntry.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cerrno>
#include <filesystem>

namespace {

// The whole run from the click on, with this machine's inventory, drives and sockets, posting
// to the reference receiver; the contact fields filled and checked.
class SystemRun : public ::testing::Test {
protected:
    // now: the clock of the run; the system's when empty.
    explicit SystemRun(LocalClock now = {}) : form(view, Operations(std::move(now)), receiver.UploadURL()) {}

    void SetUp() override
    {
        ASSERT_TRUE(receiver.Running());
        form.HandleEvent([&] { form.FormShow(); });
        ASSERT_EQ(view.Events.size(), 1u) << view.Events.front();
        view.Events.clear();
        EnterValidContact(view, form);
    }

    void TearDown() override { form.HandleEvent([&] { form.FormClose(); }); }

    void Run() { form.HandleEvent([&] { form.btnScanClick(); }); }

    RunOperations Operations(LocalClock now)
    {
        system.Loaded();
        RunOperations operations = system.Operations();
        if (now)
            operations.Now = std::move(now);
        return operations;
    }

    PhpReceiver receiver;
    FakeMainView view;
    SystemOperations system;
    TForm1 form;
};

// While it lives, no file of this process may grow past the given size (RLIMIT_FSIZE, as
// "ulimit -f" sets it); a quota or a full disk fails a write alike.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &previous_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_ {};
};

// The same run at a fixed moment, so the report's name is known beforehand, as it is to anyone
// who knows the user's name and the time.
class SystemRunAtAKnownTime : public SystemRun {
protected:
    SystemRunAtAKnownTime() : SystemRun([] { return TDateTimeParts {2026, 12, 7, 9, 24, 44, 0}; }) {}
};

} // namespace

TEST_F(SystemRun, ClickToReportStoredByTheReceiver)
{
    Run();
    ASSERT_FALSE(view.Events.empty());
    const std::string confirmation = "plain: Report received for Jo Smith: " + std::to_string(form.DiskCount) + " disk";
    EXPECT_EQ(view.Events.back().substr(0, confirmation.size()), confirmation) << view.Events.back();
    EXPECT_EQ(receiver.OnlyStoredReport(), form.Memo1.Text());
    for (const auto& entry : std::filesystem::directory_iterator("."))
        EXPECT_NE(entry.path().extension(), ".smart") << entry.path();
}

// A link planted under the report's name ends the run with the create error: the receiver gets
// nothing, and the link and the file it points at stay as they were.
TEST_F(SystemRunAtAKnownTime, ALinkUnderTheReportNameEndsTheRunAndNothingIsSent)
{
    const std::string name = "Jo_Smith-1569147670.smart";
    const PlantedEntry planted(name, PlantedKind::LinkToFile);
    ASSERT_TRUE(planted.Planted());
    Run();
    EXPECT_EQ(view.Events, std::vector<std::string>{"error: Cannot create file \"" + ExpandFileName(name) + "\". " +
                                                    SysErrorMessage(FileExistsError) + "."});
    EXPECT_EQ(receiver.OnlyStoredReport(), "stored reports: 0");
    EXPECT_TRUE(planted.Intact());
}

// A save the system cuts short (here by the file-size limit, past the first contact line) leaves
// no file holding part of the customer's details, and the error box names the file and the
// system's reason; the process is not ended by SIGXFSZ, and nothing is sent.
TEST_F(SystemRunAtAKnownTime, ASaveCutShortLeavesNoFileAndSaysWhy)
{
    const std::string name = "Jo_Smith-1569147670.smart";
    {
        const FileSizeLimit limit(16);
        Run();
    }
    EXPECT_EQ(view.Events, std::vector<std::string>{"error: Cannot write file \"" + ExpandFileName(name) + "\": " +
                                                    SysErrorMessage(EFBIG) + "."});
    EXPECT_FALSE(std::filesystem::exists(name));
    EXPECT_EQ(receiver.OnlyStoredReport(), "stored reports: 0");
}
