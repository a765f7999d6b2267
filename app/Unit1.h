#pragma once

#include "app/MainView.h"
#include "app/RunOperations.h"
#include "base/StringList.h"

#include <cstdint>
#include <functional>
#include <string>

// The whole number range of disks to test and the disk being tested, held as floating-point
// values the way the window's hidden spin field holds them.
struct TDiskRange {
    double MinValue = 0;
    double MaxValue = 0;
    double Value = 0;
};

// A disk number held by the range, as a whole number: the fraction cut off.
std::int32_t Truncated(double value);

enum TShiftStateFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4 };
inline constexpr unsigned VK_F1_KEY = 112;

// The state behind the main window and its handlers. The Win32 and Qt windows forward their
// events here; everything the handlers show or read goes through the view.
class TForm1 {
public:
    TForm1(MainView& view, RunOperations operations, std::string uploadURL);

    void FormShow();
    void FormClose();
    void btnScanClick();
    void AddDiskReport();
    void UploadReport(const std::string& fileName);
    void edUserExit();
    void edPhoneExit();
    void edEmailExit();
    void edContactChange();
    void Button1Click();
    void Button2Click();
    // Shift+Alt+F1 (and no Ctrl) opens the preview with the report text.
    void FormKeyDown(unsigned key, unsigned shift);

    // Runs one event handler; an error that escapes it goes to the default error box.
    void HandleEvent(const std::function<void()>& handler);

    bool ValidName = false;
    bool ValidPhone = false;
    bool ValidEmail = false;
    bool ContactAllowed = true;
    std::int32_t DiskCount = 0;
    TDiskRange DiskNum;
    std::int32_t NotSupportedCount = 0;
    TStringList Memo1;
    std::string ResInfo;
    const std::string UploadURL;
    // The window always deletes the report file after the upload; the terminal's run may keep it.
    bool KeepReportFile = false;

private:
    MainView& view_;
    RunOperations operations_;
};
