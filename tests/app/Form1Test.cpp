#include "FakeMainView.h"
#include "FakeRunOperations.h"

#include "app/Unit1.h"
#include "base/Exception.h"
#include "base/FileSystem.h"
#include "base/SystemError.h"
#include "tests/ExpectedTexts.h"
#include "tests/base/PlantedEntry.h"

#include <gtest/gtest.h>

#include <map>

namespace {

TDriveResult Drive(const std::string& model, const std::string& serial, std::int64_t bytes,
                   const std::string& error = {}, DriveFailure failure = DriveFailure::None)
{
    TDriveResult drive;
    drive.ModelNumber = model;
    drive.SerialNumber = serial;
    drive.DiskBytes = bytes;
    drive.ErrorText = error;
    drive.Failure = failure;
    return drive;
}

struct ScriptedDisk {
    bool ok;
    TDriveResult drive;
    TSmartResult smart;
};

TSmartResult TwoHealthyAttributes()
{
    TSmartResult smart;
    smart.Temperature = 35;
    smart.AttrCount = 2;
    smart.AttrId[0] = 5;
    smart.AttrState[0] = AttributeState::Ok;
    smart.AttrCurrent[0] = 100;
    smart.AttrWorst[0] = 100;
    smart.AttrThreshold[0] = 36;
    smart.AttrPreFail[0] = true;
    smart.AttrEvents[0] = true;
    smart.AttrId[1] = 194;
    smart.AttrState[1] = AttributeState::NotJudged;
    smart.AttrCurrent[1] = 35;
    smart.AttrWorst[1] = 45;
    smart.AttrRawValue[1] = 35;
    return smart;
}

class Form1Run : public ::testing::Test {
protected:
    FakeMainView view;
    FakeInventory inventory;
    FakeUploader uploader;
    std::map<std::int32_t, ScriptedDisk> disks;
    std::vector<std::int32_t> read;
    TDateTimeParts clock {2026, 12, 7, 9, 24, 44, 0};
    TForm1 form {view,
                 {inventory, uploader,
                  [this](std::int32_t n, TDriveResult& drive, TSmartResult& smart) {
                      read.push_back(n);
                      const auto found = disks.find(n);
                      if (found == disks.end()) {
                          drive.ErrorText = "Unable to open: PhysicalDrive" + std::to_string(n);
                          return false;
                      }
                      drive = found->second.drive;
                      smart = found->second.smart;
                      return found->second.ok;
                  },
                  [this] { return clock; }},
                 "http://127.0.0.1:8080/vellumbox/upload.php"};

    void Show(int count)
    {
        inventory.Count = count;
        form.HandleEvent([this] { form.FormShow(); });
        view.Events.clear();
    }

    void EnterValidContact() { ::EnterValidContact(view, form); }

    void Run() { form.HandleEvent([this] { form.btnScanClick(); }); }
};

} // namespace

TEST_F(Form1Run, ShowActivatesTheInventoryAndGreets)
{
    inventory.Count = 2;
    form.Memo1.Add("left over");
    form.HandleEvent([this] { form.FormShow(); });
    EXPECT_EQ(inventory.Assignments, std::vector<bool>{true});
    EXPECT_EQ(form.DiskCount, 2);
    EXPECT_EQ(form.DiskNum.MinValue, 0);
    EXPECT_EQ(form.DiskNum.MaxValue, 1);
    EXPECT_EQ(form.Memo1.Count(), 0);
    EXPECT_EQ(view.Status, "There are 2 disks to be tested.");
    EXPECT_EQ(view.Events, std::vector<std::string>{std::string("information: ") + ExpectedText::Greeting});

    form.HandleEvent([this] { form.FormClose(); });
    EXPECT_EQ(inventory.Assignments, (std::vector<bool>{true, false}));
}

TEST_F(Form1Run, FailedInventoryLeavesTheDesignStateAndShowsTheErrorBox)
{
    inventory.Count = 3;
    inventory.FailActivation = true;
    form.HandleEvent([this] { form.FormShow(); });
    EXPECT_EQ(view.Events, std::vector<std::string>{"error: Access denied."});
    EXPECT_EQ(view.Status, "Quillmark SMART test assistant.");
    EXPECT_EQ(form.DiskCount, 0);
    EXPECT_EQ(form.DiskNum.MaxValue, 0);

    EnterValidContact();
    Run();
    EXPECT_EQ(read, std::vector<std::int32_t>{0}) << "a later run tests disk 0 alone";
}

TEST_F(Form1Run, FlagsAreCheckedInOrderAndAFailedCheckChangesNothing)
{
    Show(1);
    form.Memo1.Add("previous report");
    Run();
    view.User = "Jo Smith";
    form.edUserExit();
    Run();
    view.Phone = "12-34";
    form.edPhoneExit();
    Run();
    view.Phone = "1234";
    form.edPhoneExit();
    view.Email = "jo@example";
    form.edEmailExit();
    Run();
    view.Email = "jo@example.com";
    form.edEmailExit();
    view.ContactChoice = 1;
    form.edContactChange();
    EXPECT_FALSE(view.ScanEnabled);
    Run();
    const std::vector<std::string> expected = {
        std::string("warning: ") + ExpectedText::InvalidName, std::string("warning: ") + ExpectedText::InvalidPhone,
        std::string("warning: ") + ExpectedText::InvalidPhone, std::string("warning: ") + ExpectedText::InvalidEmail,
        std::string("information: ") + ExpectedText::ContactNotAllowed};
    EXPECT_EQ(view.Events, expected);
    EXPECT_EQ(form.Memo1.Text(), "previous report\r\n");
    EXPECT_TRUE(read.empty());
    EXPECT_TRUE(uploader.Posted.empty());

    view.ContactChoice = 0;
    form.edContactChange();
    EXPECT_TRUE(view.ScanEnabled);
    EXPECT_TRUE(form.ContactAllowed);
}

TEST_F(Form1Run, ClearingAValidNameRevokesIt)
{
    view.User = "Anne";
    form.edUserExit();
    EXPECT_TRUE(form.ValidName);
    view.User = "";
    form.edUserExit();
    EXPECT_FALSE(form.ValidName);
}

TEST_F(Form1Run, TelephoneBlanksVanishFromTheField)
{
    view.Phone = " 0412 555 019 ";
    form.edPhoneExit();
    EXPECT_EQ(view.Phone, "0412555019");
    EXPECT_TRUE(form.ValidPhone);
}

TEST_F(Form1Run, TwoDisksGiveTheReportByteForByteThenUploadAndDelete)
{
    Show(2);
    EnterValidContact();
    disks[0] = {true, Drive("HD500X-1", "A1B2C3D4", 500107862016), TwoHealthyAttributes()};
    disks[1] = {false, Drive("", "", 0, "SMART Not Supported", DriveFailure::SmartNotSupported), {}};
    Run();

    const std::string report =
        "Jo Smith\r\n0412555019\r\njo@example.com\r\nYes, you may contact me.\r\n"
        "===| Disk 0 |============================================================\r\n"
        "Model: HD500X-1, Serial: A1B2C3D4, Size = 466 Gbytes\r\n"
        "Temp : 35\xB0" "C\r\n"
        "Realloc Sec: 0\r\n"
        "Result: SMART Test PASSED\r\n"
        "Id;Attribute_Name;State;Current;Worst;Threshold;Raw_Value;Pre_Fail;Events;Error Rate\r\n"
        "5;Reallocated Sector Count;OK;100;100;36;0;Y;Y;N\r\n"
        "194;HDD Temperature;-;35;45;0;35;N;N;N\r\n"
        "===| END DISK Report |===================================================\r\n"
        "===| Disk 1 |============================================================\r\n"
        "Model: , Serial: , Size = 0 bytes\r\n"
        "SMART Not Supported\r\n"
        "===| END DISK Report |===================================================\r\n";
    EXPECT_EQ(uploader.Posted, std::vector<std::string>{"Jo_Smith-1569147670.smart"});
    EXPECT_EQ(uploader.PostedContent, report);
    EXPECT_EQ(uploader.PostedURL, "http://127.0.0.1:8080/vellumbox/upload.php");
    EXPECT_EQ(form.Memo1.Text(), report) << "the lines stay for the preview";
    EXPECT_FALSE(FileExists("Jo_Smith-1569147670.smart"));
    EXPECT_EQ(form.NotSupportedCount, 1);
    EXPECT_EQ(form.ResInfo, "SMART Not Supported");
    EXPECT_EQ(form.DiskNum.Value, 1);
    const std::vector<std::string> boxes = {std::string("plain: ") + ExpectedText::NotSupported, "plain: Thank you"};
    EXPECT_EQ(view.Events, boxes);
}

TEST_F(Form1Run, OnlyDrivesWithoutSmartAreCountedAndTheBoxComesOnce)
{
    Show(4);
    EnterValidContact();
    disks[0] = {false, Drive("", "", 0, "SMART Not Supported", DriveFailure::SmartNotSupported), {}};
    disks[1] = {false, Drive("", "", 0, "Unable to open: PhysicalDrive1", DriveFailure::NotOpened), {}};
    disks[2] = {false, Drive("", "", 0, "SMART Failed - gone", DriveFailure::ReadFailed), {}};
    disks[3] = {false, Drive("", "", 0, "SMART Not Supported", DriveFailure::SmartNotSupported), {}};
    Run();
    EXPECT_EQ(form.NotSupportedCount, 2);
    EXPECT_EQ(view.Events.front(), std::string("plain: ") + ExpectedText::NotSupported);
    EXPECT_EQ(view.Events.size(), 2u);
    EXPECT_EQ(form.ResInfo, "SMART Not Supported");
}

TEST_F(Form1Run, NoDiskWritesOnlyTheContactLines)
{
    Show(0);
    EXPECT_EQ(view.Status, "There are 0 disks to be tested.");
    EXPECT_EQ(form.DiskNum.MaxValue, -1);
    EnterValidContact();
    Run();
    EXPECT_TRUE(read.empty());
    EXPECT_EQ(uploader.PostedContent, "Jo Smith\r\n0412555019\r\njo@example.com\r\nYes, you may contact me.\r\n");
}

TEST_F(Form1Run, DrivesAreNumberedByCountNotByWhatExists)
{
    Show(2);
    EnterValidContact();
    disks[0] = {true, Drive("A", "1", 0), TwoHealthyAttributes()};
    disks[2] = {true, Drive("C", "3", 0), TwoHealthyAttributes()};
    Run();
    EXPECT_EQ(read, (std::vector<std::int32_t>{0, 1}));
    EXPECT_NE(uploader.PostedContent.find("Model: , Serial: , Size = 0 bytes\r\nUnable to open: PhysicalDrive1\r\n"),
              std::string::npos);
}

TEST_F(Form1Run, AFailedPostShowsTheErrorThenTheReplyAndStillDeletes)
{
    Show(0);
    EnterValidContact();
    uploader.PostError = "Socket Error # 10061\r\nConnection refused.";
    Run();
    const std::vector<std::string> boxes = {
        "plain: Error encountered during POST: Socket Error # 10061\r\nConnection refused.", "plain: "};
    EXPECT_EQ(view.Events, boxes);
    EXPECT_FALSE(FileExists("Jo_Smith-1569147670.smart"));
}

TEST_F(Form1Run, AnUnopenableReportEndsTheRunAndKeepsTheFile)
{
    Show(0);
    EnterValidContact();
    uploader.OpenFails = true;
    Run();
    EXPECT_EQ(view.Events, std::vector<std::string>{
                               "error: Cannot open file \"Jo_Smith-1569147670.smart\". Access is denied."});
    EXPECT_TRUE(FileExists("Jo_Smith-1569147670.smart"));
    RemoveFile("Jo_Smith-1569147670.smart");
}

TEST_F(Form1Run, AnUncreatableReportStopsBeforeTheBoxesAndTheUpload)
{
    Show(1);
    EnterValidContact();
    // Every name gives a name the system takes; a folder in the report's place refuses the save.
    const PlantedEntry folder("Jo_Smith-1569147670.smart", PlantedKind::Folder);
    ASSERT_TRUE(folder.Planted());
    disks[0] = {false, Drive("", "", 0, "SMART Not Supported", DriveFailure::SmartNotSupported), {}};
    Run();
    ASSERT_EQ(view.Events.size(), 1u);
    EXPECT_EQ(view.Events[0].rfind("error: Cannot create file \"" + ExpandFileName("Jo_Smith-1569147670.smart"), 0),
              0u);
    EXPECT_EQ(view.Events[0].back(), '.') << "the system's reason follows, with the box's full stop";
    EXPECT_TRUE(uploader.Posted.empty());
    EXPECT_EQ(form.Memo1.Count(), 4 + 4) << "the report lines stay";
}

// Someone who can write to the run's folder plants an entry under the report's predictable name
// before the run. Only a regular file is replaced as usual (by a new file, so another name of the
// old one keeps its content); anything else ends the run with the create error before the
// not-supported box and the upload, and is left as it was, and nothing is written or created
// through a link.
TEST_F(Form1Run, APlantedEntryUnderTheReportNameIsReplacedOnlyWhenItIsARegularFile)
{
    Show(1);
    EnterValidContact();
    // A name of its own: the other runs of these tests may be writing theirs at the same time.
    view.User = "Planted Entry";
    form.edUserExit();
    disks[0] = {false, Drive("", "", 0, "SMART Not Supported", DriveFailure::SmartNotSupported), {}};
    const std::string name = "Planted_Entry-1569147670.smart";
    for (const PlantedKind kind : PlantableKinds()) {
        SCOPED_TRACE(KindName(kind));
        view.Events.clear();
        uploader.Posted.clear();
        const PlantedEntry planted(name, kind);
        ASSERT_TRUE(planted.Planted());
        Run();
        if (IsReplaceable(kind)) {
            EXPECT_EQ(uploader.Posted, std::vector<std::string>{name});
            EXPECT_EQ(uploader.PostedContent, form.Memo1.Text());
            EXPECT_FALSE(FileExists(name));
            EXPECT_TRUE(planted.TargetUntouched());
            continue;
        }
        EXPECT_EQ(view.Events, std::vector<std::string>{"error: Cannot create file \"" + ExpandFileName(name) + "\". " +
                                                        SysErrorMessage(FileExistsError) + "."});
        EXPECT_TRUE(uploader.Posted.empty());
        EXPECT_TRUE(planted.Intact());
    }
}

TEST_F(Form1Run, TheNextRunStartsFromAnEmptyReport)
{
    Show(0);
    EnterValidContact();
    Run();
    view.User = "Anne Other";
    form.edUserExit();
    clock.Second = 50;
    Run();
    ASSERT_EQ(uploader.Posted.size(), 2u);
    EXPECT_EQ(uploader.Posted[1], "Anne_Other-1569147673.smart");
    EXPECT_EQ(uploader.PostedContent.find("Jo Smith"), std::string::npos);
}

TEST_F(Form1Run, PreviewOpensOnShiftAltF1Only)
{
    Show(0);
    form.Memo1.Add("line");
    struct Case {
        unsigned key;
        unsigned shift;
        bool opens;
    };
    const Case cases[] = {
        {VK_F1_KEY, ssShift | ssAlt, true},
        {VK_F1_KEY, ssShift | ssAlt | ssCtrl, false},
        {VK_F1_KEY, ssShift, false},
        {VK_F1_KEY, ssAlt, false},
        {VK_F1_KEY, 0, false},
        {VK_F1_KEY, ssCtrl | ssShift, false},
        {113, ssShift | ssAlt, false},
    };
    for (const auto& c : cases) {
        view.Events.clear();
        form.FormKeyDown(c.key, c.shift);
        EXPECT_EQ(view.Events.size(), c.opens ? 1u : 0u) << c.key << " " << c.shift;
    }
    view.Events.clear();
    form.FormKeyDown(VK_F1_KEY, ssShift | ssAlt);
    EXPECT_EQ(view.Events, std::vector<std::string>{"preview: line\r\n"});
}

TEST_F(Form1Run, QuitAndReadMe)
{
    form.Button2Click();
    EXPECT_EQ(view.Events, std::vector<std::string>{std::string("information: ") + ExpectedText::ReadMe});
    form.Button1Click();
    EXPECT_TRUE(view.Closed);
}
