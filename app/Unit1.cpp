#include "app/Unit1.h"

#include "app/ContactChecks.h"
#include "app/Messages.h"
#include "app/ReportFileName.h"
#include "app/ReportLines.h"
#include "base/ErrorBox.h"
#include "base/Exception.h"
#include "base/FileSystem.h"

#include <cmath>

std::int32_t Truncated(double value)
{
    return static_cast<std::int32_t>(std::trunc(value));
}

TForm1::TForm1(MainView& view, RunOperations operations, std::string uploadURL)
    : UploadURL(std::move(uploadURL)), view_(view), operations_(std::move(operations))
{
}

void TForm1::FormShow()
{
    operations_.Inventory.SetActive(true);
    DiskCount = operations_.Inventory.ObjectsCount();
    DiskNum.MinValue = 0;
    DiskNum.MaxValue = DiskCount - 1;
    Memo1.Clear();
    view_.SetStatusText("There are " + std::to_string(DiskCount) + " disks to be tested.");
    view_.ShowGreeting(Messages::Greeting);
}

void TForm1::FormClose()
{
    operations_.Inventory.SetActive(false);
}

void TForm1::btnScanClick()
{
    if (!ValidName) {
        view_.ShowWarning(Messages::InvalidName);
        return;
    }
    if (!ValidPhone) {
        view_.ShowWarning(Messages::InvalidPhone);
        return;
    }
    if (!ValidEmail) {
        view_.ShowWarning(Messages::InvalidEmail);
        return;
    }
    if (!ContactAllowed) {
        view_.ShowInformation(Messages::ContactNotAllowed);
        return;
    }

    Memo1.Clear();
    Memo1.Add(view_.UserText());
    Memo1.Add(view_.PhoneText());
    Memo1.Add(view_.EmailText());
    Memo1.Add(view_.ContactText());
    NotSupportedCount = 0;

    const std::int32_t first = Truncated(DiskNum.MinValue);
    const std::int32_t last = Truncated(DiskNum.MaxValue);
    for (std::int32_t n = first; n <= last; ++n) {
        DiskNum.Value = n;
        Memo1.Add(DiskHeaderLine(n));
        AddDiskReport();
        Memo1.Add(DiskEndLine());
    }

    const std::string fileName = ReportFileName(view_.UserText(), DateTimeToFileDate(operations_.Now()));
    Memo1.SaveToFile(fileName);
    view_.ReportSaved(fileName);
    if (NotSupportedCount > 0)
        view_.ShowPlain(Messages::NotSupported);
    UploadReport(fileName);
    if (!KeepReportFile && FileExists(fileName))
        RemoveFile(fileName);
}

void TForm1::AddDiskReport()
{
    const std::int32_t n = Truncated(DiskNum.Value);
    TDriveResult drive {};
    TSmartResult smart {};
    const bool ok = operations_.ReadSmartInfo(n, drive, smart);
    const std::int32_t first = Truncated(DiskNum.MinValue);
    view_.DiskRead(n - first + 1, Truncated(DiskNum.MaxValue) - first + 1, ok, drive, smart);
    if (!ok) {
        ResInfo = drive.ErrorText;
        if (drive.Failure == DriveFailure::SmartNotSupported)
            ++NotSupportedCount;
    }
    AppendDiskBlock(Memo1, ok, drive, smart);
}

void TForm1::UploadReport(const std::string& fileName)
{
    TStringStream reply;
    const auto upload = operations_.Uploader.Prepare(fileName);
    try {
        upload->Post(UploadURL, reply);
    } catch (const std::exception& e) {
        view_.ShowPostFailure(std::string(Messages::PostFailed) + e.what());
    }
    view_.ShowServerReply(reply.DataString());
}

void TForm1::edUserExit()
{
    ValidName = IsValidName(view_.UserText());
}

void TForm1::edPhoneExit()
{
    view_.SetPhoneText(RemoveBlanks(view_.PhoneText()));
    ValidPhone = IsValidPhone(view_.PhoneText());
}

void TForm1::edEmailExit()
{
    ValidEmail = IsValidEmail(view_.EmailText());
}

void TForm1::edContactChange()
{
    ContactAllowed = IsContactAllowed(view_.ContactIndex());
    view_.SetScanEnabled(ContactAllowed);
}

void TForm1::Button1Click()
{
    view_.Close();
}

void TForm1::Button2Click()
{
    view_.ShowInformation(Messages::ReadMe);
}

void TForm1::FormKeyDown(unsigned key, unsigned shift)
{
    if (key == VK_F1_KEY && (shift & (ssShift | ssAlt | ssCtrl)) == (ssShift | ssAlt))
        view_.ShowPreview(Memo1.Text());
}

void TForm1::HandleEvent(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        view_.ShowError(ErrorBoxMessage(e.what()));
    }
}
