#include "FakeMainView.h"
#include "FakeRunOperations.h"

#include "app/ConsoleRun.h"
#include "app/Messages.h"
#include "app/Unit1.h"
#include "base/FileSystem.h"
#include "base/SystemError.h"
#include "smart/StoredBlocksDrive.h"
#include "smart/smartapi.h"
#include "tests/base/FileAccess.h"
#include "tests/base/PlantedEntry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace {

const std::string BuiltInURL = "http://upload.example/vellumbox/upload.php";
const std::string ReportName = "Jo_Smith-1569147670.smart";

std::vector<std::string> ReportFilesHere()
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator("."))
        if (entry.path().extension() == ".smart")
            names.push_back(entry.path().filename().string());
    return names;
}

struct ScriptedRead {
    bool ok;
    std::string model;
    std::string errorText;
    DriveFailure failure;
    std::int32_t attributes;
};

class ConsoleRunTest : public ::testing::Test {
protected:
    FakeInventory inventory;
    FakeUploader uploader;
    std::map<std::int32_t, ScriptedRead> disks;
    std::vector<std::int32_t> read;
    std::string out;
    std::string err;
    bool outWorks = true;
    ConsoleOptions options {"Jo Smith", "0412 555 019", "jo@example.com", BuiltInURL};

    RunOperations Operations(SmartReader reader)
    {
        return {inventory, uploader, std::move(reader), [] { return TDateTimeParts {2026, 12, 7, 9, 24, 44, 0}; }};
    }

    int Run() { return Run(Operations([this](std::int32_t n, TDriveResult& drive, TSmartResult& smart) {
                    read.push_back(n);
                    const ScriptedRead& disk = disks.at(n);
                    drive.ModelNumber = disk.model;
                    drive.ErrorText = disk.errorText;
                    drive.Failure = disk.failure;
                    smart.AttrCount = disk.attributes;
                    return disk.ok;
                })); }

    int Run(RunOperations operations)
    {
        return RunFromConsole(options, std::move(operations),
                              {[this](const std::string& bytes) {
                                   out += bytes;
                                   return outWorks;
                               },
                               [this](const std::string& bytes) {
                                   err += bytes;
                                   return true;
                               }});
    }
};

} // namespace

TEST(ConsoleOptionsTest, EachOptionInBothForms)
{
    const auto spaced = ParseConsoleOptions({"--name", "Jo Smith", "--phone", "0412 555 019", "--email",
                                             "jo@example.com", "--url", "http://h/p", "--keep", "--no-upload"},
                                            BuiltInURL);
    const auto joined = ParseConsoleOptions(
        {"--name=Jo Smith", "--phone=0412 555 019", "--email=jo@example.com", "--url=http://h/p", "--keep", "--no-upload"},
        BuiltInURL);
    for (const ConsoleOptions& options : {spaced, joined}) {
        EXPECT_EQ(options.Name, "Jo Smith");
        EXPECT_EQ(options.Phone, "0412 555 019");
        EXPECT_EQ(options.Email, "jo@example.com");
        EXPECT_EQ(options.UploadURL, "http://h/p");
        EXPECT_TRUE(options.Keep);
        EXPECT_TRUE(options.NoUpload);
        EXPECT_FALSE(options.Help);
    }
    // A value may itself hold "=", or start with "--" when joined to its option; what is left
    // out stays empty.
    const auto odd = ParseConsoleOptions({"--name=--a=b--", "--phone", "a=b", "--email=", "--url", "-"}, BuiltInURL);
    EXPECT_EQ(odd.Name, "--a=b--");
    EXPECT_EQ(odd.Phone, "a=b");
    EXPECT_EQ(odd.Email, "");
    EXPECT_EQ(odd.UploadURL, "-");
    EXPECT_FALSE(odd.NoUpload);
    EXPECT_EQ(ParseConsoleOptions({"--keep"}, BuiltInURL).UploadURL, BuiltInURL);
    EXPECT_TRUE(ParseConsoleOptions({"--help"}, BuiltInURL).Help);
}

TEST(ConsoleOptionsTest, WhatCannotBeActedOnIsAUsageError)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases {
        {{}, "no contact details given"},
        {{"--name"}, "option --name needs a value"},
        {{"--name", "Jo Smith", "--email"}, "option --email needs a value"},
        {{"--nmae", "Jo"}, "unknown argument \"--nmae\""},
        {{"--keep=yes"}, "unknown argument \"--keep=yes\""},
        {{"--name", "Jo Smith", "extra"}, "unknown argument \"extra\""},
        // A forgotten value never takes the next option: nothing is sent, nothing deleted.
        {{"--phone", "0412555019", "--email", "jo@example.com", "--name", "--no-upload"},
         "option --name needs a value, not the option \"--no-upload\" (write --name=--no-upload for a value that "
         "starts with \"--\")"},
        {{"--name", "--keep", "--phone", "0412555019"},
         "option --name needs a value, not the option \"--keep\" (write --name=--keep for a value that starts with "
         "\"--\")"},
        {{"--url", "--", "--name", "Jo Smith"},
         "option --url needs a value, not the option \"--\" (write --url=-- for a value that starts with \"--\")"},
        {{"--name", "Jo Smith", "--name=Bob Smith"}, "option --name given more than once"},
        {{"--email=a@b.c", "--email", "d@e.f"}, "option --email given more than once"},
        {{"--no-upload", "--keep", "--no-upload"}, "option --no-upload given more than once"},
    };
    for (const auto& [arguments, message] : cases) {
        try {
            ParseConsoleOptions(arguments, BuiltInURL);
            ADD_FAILURE() << "accepted: " << message;
        } catch (const EConsoleUsage& e) {
            EXPECT_EQ(e.Message, message);
        }
    }
}

TEST_F(ConsoleRunTest, RefusedEntryShowsTheWindowsWarningAndTouchesNothing)
{
    struct Case {
        ConsoleOptions entries;
        const char* warning;
    };
    const std::vector<Case> cases {
        {{"Jo", "0412555019", "jo@example.com", BuiltInURL}, Messages::InvalidName},
        {{"", "", "", BuiltInURL}, Messages::InvalidName},
        {{"Jo Smith", "0412-555-019", "jo@example.com", BuiltInURL}, Messages::InvalidPhone},
        {{"Jo Smith", "+61 412 555 019", "jo@example.com", BuiltInURL}, Messages::InvalidPhone},
        {{"Jo Smith", "0412555019", "jo@example", BuiltInURL}, Messages::InvalidEmail},
        // The order is the window's: the name is named first even when everything is wrong.
        {{"Bob", "x", "y", BuiltInURL}, Messages::InvalidName},
    };
    for (const Case& c : cases) {
        options = c.entries;
        out.clear();
        err.clear();
        EXPECT_EQ(Run(), ConsoleRefused) << c.warning;
        EXPECT_EQ(err, std::string(c.warning) + "\n");
        EXPECT_EQ(out, "");
    }
    EXPECT_TRUE(inventory.Assignments.empty()) << "the inventory was activated";
    EXPECT_TRUE(read.empty()) << "a disk was read";
    EXPECT_TRUE(uploader.Posted.empty()) << "something was sent";
    EXPECT_TRUE(ReportFilesHere().empty());
}

TEST_F(ConsoleRunTest, AcceptedRunTellsEachDiskAndPrintsTheReply)
{
    inventory.Count = 3;
    disks[0] = {true, "HD500X-1", "", DriveFailure::None, 18};
    disks[1] = {false, "WDC WD5000", "SMART Not Supported", DriveFailure::SmartNotSupported, 0};
    disks[2] = {false, "", "Unable to open: \\\\.\\PhysicalDrive2: Access is denied", DriveFailure::NotOpened, 0};
    uploader.Reply = "Report received for Jo Smith: 3 disk blocks.";

    EXPECT_EQ(Run(), ConsoleAccepted);
    EXPECT_EQ(err, "There are 3 disks to be tested.\n"
                   "Disk 1 of 3: HD500X-1: 18 SMART attributes read\n"
                   "Disk 2 of 3: WDC WD5000: SMART Not Supported\n"
                   "Disk 3 of 3: Unable to open: \\\\.\\PhysicalDrive2: Access is denied\n" +
                       std::string(Messages::NotSupported) + "\n");
    EXPECT_EQ(out, uploader.Reply);
    EXPECT_EQ(read, (std::vector<std::int32_t>{0, 1, 2}));
    EXPECT_EQ(uploader.Posted, std::vector<std::string>{ReportName});
    EXPECT_EQ(uploader.PostedURL, BuiltInURL);
    const std::string contactThenFirstDisk =
        "Jo Smith\r\n0412555019\r\njo@example.com\r\nYes, you may contact me.\r\n===| Disk 0 |";
    EXPECT_EQ(uploader.PostedContent.substr(0, contactThenFirstDisk.size()), contactThenFirstDisk);
    EXPECT_EQ(inventory.Assignments, (std::vector<bool>{true, false}));
    EXPECT_TRUE(ReportFilesHere().empty());
}

TEST_F(ConsoleRunTest, FailedPostExitsOneWithTheWindowsTextAndStillDeletes)
{
    options.UploadURL = "http://127.0.0.1:9/vellumbox/upload.php";
    uploader.PostError = "Socket Error # 10061\r\nConnection refused.";
    EXPECT_EQ(Run(), ConsoleFailed);
    EXPECT_EQ(err, "There are 0 disks to be tested.\n"
                   "Error encountered during POST: Socket Error # 10061\r\nConnection refused.\n");
    EXPECT_EQ(out, "");
    EXPECT_EQ(uploader.PostedURL, options.UploadURL);
    EXPECT_TRUE(ReportFilesHere().empty());
}

TEST_F(ConsoleRunTest, AReplyIsTheReplyWhateverItSays)
{
    uploader.Reply = std::string(Messages::PostFailed) + "not really";
    EXPECT_EQ(Run(), ConsoleAccepted);
    EXPECT_EQ(out, uploader.Reply);
    EXPECT_EQ(err, "There are 0 disks to be tested.\n");
}

TEST_F(ConsoleRunTest, KeepLeavesTheFileThatWasSent)
{
    options.Keep = true;
    EXPECT_EQ(Run(), ConsoleAccepted);
    EXPECT_EQ(ReportFilesHere(), std::vector<std::string>{ReportName});
    EXPECT_EQ(ReadWhole(ReportName), uploader.PostedContent);
    EXPECT_TRUE(GrantsItsOwnerAlone(FileAccess(ReportName))) << FileAccess(ReportName);
    EXPECT_EQ(err, "There are 0 disks to be tested.\nReport kept in " + ReportName + "\n");
    RemoveFile(ReportName);
}

TEST_F(ConsoleRunTest, FailuresThatAreNotThePostExitOne)
{
    // A folder in the report's place: the save fails as in the window.
    {
        const PlantedEntry folder(ReportName, PlantedKind::Folder);
        ASSERT_TRUE(folder.Planted());
        EXPECT_EQ(Run(), ConsoleFailed);
        EXPECT_NE(err.find("Cannot create file \""), std::string::npos) << err;
        EXPECT_TRUE(uploader.Posted.empty());
    }

    // The reply cannot be handed on.
    options.Name = "Jo Smith";
    outWorks = false;
    err.clear();
    EXPECT_EQ(Run(), ConsoleFailed);
    EXPECT_EQ(err, "There are 0 disks to be tested.\nqm-smart-run: standard output could not be written\n");
}

// The terminal's run saves by the window's path, so an entry planted under the report's name is
// treated alike: only a regular file is replaced; anything else ends the run with the create
// error, exit 1, nothing sent and the entry left as it was.
TEST_F(ConsoleRunTest, APlantedEntryUnderTheReportNameIsReplacedOnlyWhenItIsARegularFile)
{
    options.Name = "Planted Console";
    const std::string name = "Planted_Console-1569147670.smart";
    for (const PlantedKind kind : PlantableKinds()) {
        SCOPED_TRACE(KindName(kind));
        uploader.Posted.clear();
        err.clear();
        const PlantedEntry planted(name, kind);
        ASSERT_TRUE(planted.Planted());
        if (IsReplaceable(kind)) {
            EXPECT_EQ(Run(), ConsoleAccepted);
            EXPECT_EQ(uploader.Posted, std::vector<std::string>{name});
            EXPECT_FALSE(FileExists(name));
            EXPECT_TRUE(planted.TargetUntouched());
            continue;
        }
        EXPECT_EQ(Run(), ConsoleFailed);
        EXPECT_EQ(err, "There are 0 disks to be tested.\nCannot create file \"" + ExpandFileName(name) + "\". " +
                           SysErrorMessage(FileExistsError) + ".\n");
        EXPECT_TRUE(uploader.Posted.empty());
        EXPECT_TRUE(planted.Intact());
    }
}

TEST_F(ConsoleRunTest, NoUploadPrintsWhatTheWindowWouldSendForTheSameDrives)
{
    const std::string blobs = QM_TEST_DATA "/smart-blobs/";
    StoredBlocksDrive drives({LoadSkdumpFile(blobs + "SAMSUNG_HD501LJ--CR100-12"),
                              LoadSkdumpFile(blobs + "ST9100821AS--3.CME")});
    const SmartReader fromStoredDrives = [&drives](std::int32_t n, TDriveResult& drive, TSmartResult& smart) {
        return ReadSmartInfo(drives, n, drive, smart);
    };
    inventory.Count = 3;

    FakeMainView window;
    window.User = options.Name;
    window.Phone = options.Phone;
    window.Email = options.Email;
    TForm1 form(window, Operations(fromStoredDrives), BuiltInURL);
    form.FormShow();
    form.edUserExit();
    form.edPhoneExit();
    form.edEmailExit();
    form.btnScanClick();
    const std::string sentByTheWindow = uploader.PostedContent;
    ASSERT_NE(sentByTheWindow.find("SAMSUNG HD501LJ"), std::string::npos);
    uploader.Posted.clear();

    options.NoUpload = true;
    EXPECT_EQ(Run(Operations(fromStoredDrives)), ConsoleAccepted);
    EXPECT_EQ(out, sentByTheWindow);
    EXPECT_TRUE(uploader.Posted.empty()) << "--no-upload sent the report";
    EXPECT_TRUE(ReportFilesHere().empty());
    EXPECT_EQ(drives.OpenHandles(), 0);
}
