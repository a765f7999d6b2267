#include "RecordingWindow.h"

#include "app/win32/Banner.h"
#include "app/win32/Form2Window.h"
#include "tests/ExpectedTexts.h"

#include <commctrl.h>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>
#include <gtest/gtest.h>

using namespace Form1Layout;

namespace {

BOOL CALLBACK CountChild(HWND, LPARAM count)
{
    ++*reinterpret_cast<std::size_t*>(count);
    return TRUE;
}

std::size_t ChildCount(HWND window)
{
    std::size_t count = 0;
    EnumChildWindows(window, CountChild, reinterpret_cast<LPARAM>(&count));
    return count;
}

// Whether the control itself is shown, whatever its window is.
bool Shown(HWND control)
{
    return (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

std::string ComboEntry(HWND combo, int index)
{
    std::vector<char> text(static_cast<std::size_t>(SendMessageA(combo, CB_GETLBTEXTLEN, index, 0)) + 1);
    SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

class Form1WindowTest : public ::testing::Test {
protected:
    FakeBackEnds backEnds;
    RecordingWindow window {backEnds};

    HWND Item(ControlId id) const { return window.Control(id); }

    std::string StatusText() const
    {
        // In simple mode the one text panel answers as part 0.
        char text[256] {};
        SendMessageA(Item(sb1), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
        return text;
    }

    // Holds exactly the given modifiers while the key message is seen by the window.
    void PressKey(unsigned key, bool shift, bool alt, bool ctrl)
    {
        BYTE keys[256] {};
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        keys[VK_MENU] = alt ? 0x80 : 0;
        keys[VK_CONTROL] = ctrl ? 0x80 : 0;
        SetKeyboardState(keys);
        MSG message {};
        message.hwnd = Item(edUser);
        message.message = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
        message.wParam = key;
        message.lParam = alt ? (1 << 29) : 0;
        window.PreviewKey(message);
        BYTE none[256] {};
        SetKeyboardState(none);
    }

    // The telephone check shows whether it ran: it takes the blanks out of the field.
    void TypePhoneAndStay()
    {
        SetWindowTextA(Item(edPhone), "0412 555 019");
        SetFocus(Item(edPhone));
    }

    void ExpectPhoneUnjudged()
    {
        EXPECT_EQ(WindowText(Item(edPhone)), "0412 555 019");
        EXPECT_FALSE(window.Form().ValidPhone);
    }

    void ExpectPhoneJudgedOnMovingOn()
    {
        SetFocus(Item(edEmail));
        EXPECT_EQ(WindowText(Item(edPhone)), "0412555019");
        EXPECT_TRUE(window.Form().ValidPhone);
    }
};

} // namespace

// The rectangles below are those the tests see in the font they run with, Wine's own "MS Sans
// Serif" (fonts-wine), in which every label's text fits the design's rectangle. In a font where a
// text needs more room, the window lays itself out anew (Form1Layout::PlaceControls).
TEST_F(Form1WindowTest, FrameIsAFixedDialogOf401By357CentredOnTheScreen)
{
    ScreenDc screen;
    const HGDIOBJ previous =
        SelectObject(screen.Get(), reinterpret_cast<HFONT>(SendMessageA(Item(Label1), WM_GETFONT, 0, 0)));
    char face[LF_FACESIZE] {};
    GetTextFaceA(screen.Get(), LF_FACESIZE, face);
    SelectObject(screen.Get(), previous);
    ASSERT_STREQ(face, "MS Sans Serif") << "Wine's fonts (fonts-wine) are not in the Wine prefix";

    RECT client {};
    GetClientRect(window.Handle(), &client);
    EXPECT_EQ(client.right, 401);
    EXPECT_EQ(client.bottom, 357);
    EXPECT_EQ(WindowText(window.Handle()), "Quillmark SMART Test.");

    const auto style = static_cast<DWORD>(GetWindowLongA(window.Handle(), GWL_STYLE));
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);

    RECT frame {};
    GetWindowRect(window.Handle(), &frame);
    EXPECT_NEAR((frame.left + frame.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
}

TEST_F(Form1WindowTest, ControlsSitWhereTheWindowDesignPutsThem)
{
    struct Placed {
        ControlId Id;
        const char* Name;
        int Left, Top, Width, Height;
        const char* Text;
        bool Visible;
    };
    const Placed design[] = {
        {Image1, "Image1", 0, 0, 401, 89, "", true},
        {Label7, "Label7", 0, 89, 401, 49, "Quillmark", true},
        {Label8, "Label8", 0, 138, 401, 18, "7 Quarry Lane Elmvale Mob: 0412 555 019", true},
        {Label1, "Label1", 48, 165, 35, 13, "Name *", true},
        {edUser, "edUser", 88, 162, 273, 21, "", true},
        {Label2, "Label2", 25, 188, 58, 13, "Telephone *", true},
        {edPhone, "edPhone", 88, 186, 273, 21, "", true},
        {Label3, "Label3", 53, 213, 31, 13, "email *", true},
        {edEmail, "edEmail", 88, 210, 273, 21, "", true},
        {Label5, "Label5", 14, 237, 71, 13, "Allow contact *", true},
        {edContact, "edContact", 88, 234, 273, 21, "Yes, you may contact me.", true},
        {Label4, "Label4", 81, 258, 191, 13, "* - indicates a required and valid answer.", true},
        {Button1, "Button1", 8, 274, 65, 25, "Quit", true},
        {Button2, "Button2", 79, 274, 91, 25, "Read me 1st", true},
        {btnScan, "btnScan", 176, 274, 217, 25, "Execute SMART Test", true},
        {Label6, "Label6", 21, 306, 360, 26,
         "A SMART test will be run on each of your drives and the results uploaded to produce a PDF report. "
         "Click the execute SMART test button if you agree.",
         true},
        {sb1, "sb1", 0, 338, 401, 19, "Quillmark SMART test assistant.", true},
        {Memo1, "Memo1", 16, 424, 105, 57, "", false},
        {ResInfo, "ResInfo", 128, 424, 145, 21, "", false},
    };
    for (const auto& control : design) {
        SCOPED_TRACE(control.Name);
        const RECT place = PlaceOf(Item(control.Id));
        EXPECT_EQ(place.left, control.Left);
        EXPECT_EQ(place.top, control.Top);
        EXPECT_EQ(place.right - place.left, control.Width);
        EXPECT_EQ(place.bottom - place.top, control.Height);
        EXPECT_EQ(WindowText(Item(control.Id)), control.Text);
        EXPECT_EQ(Shown(Item(control.Id)), control.Visible);
    }

    // The hidden spin field is an edit with its buttons beside it; together they fill its place.
    RECT spinField {};
    const RECT edit = PlaceOf(Item(DiskNum));
    const RECT buttons = PlaceOf(Item(DiskNumSpin));
    UnionRect(&spinField, &edit, &buttons);
    EXPECT_EQ(spinField.left, 352);
    EXPECT_EQ(spinField.top, 314);
    EXPECT_EQ(spinField.right - spinField.left, 41);
    EXPECT_EQ(spinField.bottom - spinField.top, 21);
    EXPECT_EQ(WindowText(Item(DiskNum)), "0");
    EXPECT_FALSE(Shown(Item(DiskNum)));
    EXPECT_FALSE(Shown(Item(DiskNumSpin)));

    EXPECT_EQ(ChildCount(window.Handle()), std::size(design) + 2) << "no control beyond the design";
    ASSERT_EQ(SendMessageA(Item(edContact), CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(ComboEntry(Item(edContact), 0), "Yes, you may contact me.");
    EXPECT_EQ(ComboEntry(Item(edContact), 1), "No, may not contact me.");
}

// Each label's text measured in the font the label draws with, wrapped at its width where the
// label wraps, must fit the label's rectangle; and no label may lie over another shown control.
TEST_F(Form1WindowTest, EveryLabelShowsItsWholeTextInTheWindowsFont)
{
    ScreenDc screen;
    for (const auto& design : Controls()) {
        if (!IsTextLabel(design))
            continue;
        SCOPED_TRACE(design.Name);
        HWND label = Item(design.Id);
        RECT client {};
        GetClientRect(label, &client);
        const auto font = reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0));
        const HGDIOBJ previous = SelectObject(screen.Get(), font);
        RECT text {0, 0, client.right, 0};
        const UINT wrap = WrapsItsText(design) ? DT_WORDBREAK : DT_SINGLELINE;
        DrawTextA(screen.Get(), design.Text, -1, &text, DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX | wrap);
        SelectObject(screen.Get(), previous);
        EXPECT_LE(text.right, client.right) << "text width";
        EXPECT_LE(text.bottom, client.bottom) << "text height";

        const RECT place = PlaceOf(label);
        for (const auto& other : Controls()) {
            RECT overlap {};
            const RECT otherPlace = PlaceOf(Item(other.Id));
            if (other.Id != design.Id && Shown(Item(other.Id))) {
                EXPECT_FALSE(IntersectRect(&overlap, &place, &otherPlace)) << "lies over " << other.Name;
            }
        }
    }
}

// In a font where "Name *" is a pixel too wide and Label4 and Label6 need a line more (as in the
// sans serif Wine falls back on without its own fonts): the one label widens, the two grow down,
// everything below each moves down as far, and so does the client area's bottom.
TEST(Form1Layout, LabelsGrowToTheirTextsAndMoveWhatIsBelow)
{
    const auto placement = PlaceControls([](const Control& label) {
        switch (label.Id) {
        case Label1:
            return TextExtent {36, 12};
        case Label4:
            return TextExtent {158, 24};
        case Label6:
            return TextExtent {357, 36};
        default:
            return TextExtent {label.Width, label.Height};
        }
    });
    EXPECT_EQ(placement.ClientHeight, 357 + 11 + 10);
    struct Placed {
        ControlId Id;
        int Left, Top, Width, Height;
    };
    const Placed expected[] = {
        {Label1, 48, 165, 36, 13},   {edContact, 88, 234, 273, 120}, {Label4, 81, 258, 191, 24},
        {Button1, 8, 285, 65, 25},   {btnScan, 176, 285, 217, 25},   {DiskNum, 352, 325, 25, 21},
        {Label6, 21, 317, 360, 36},  {sb1, 0, 359, 401, 19},         {Memo1, 16, 445, 105, 57},
    };
    for (const auto& want : expected) {
        const auto placed = std::find_if(placement.Controls.begin(), placement.Controls.end(),
                                         [&](const Control& control) { return control.Id == want.Id; });
        SCOPED_TRACE(placed->Name);
        EXPECT_EQ(placed->Left, want.Left);
        EXPECT_EQ(placed->Top, want.Top);
        EXPECT_EQ(placed->Width, want.Width);
        EXPECT_EQ(placed->Height, want.Height);
    }
}

TEST_F(Form1WindowTest, TabGoesFromTheButtonThroughTheFieldsAndBack)
{
    std::vector<int> order;
    HWND item = Item(btnScan);
    for (int i = 0; i < 8; ++i) {
        order.push_back(GetDlgCtrlID(item));
        item = GetNextDlgTabItem(window.Handle(), item, FALSE);
    }
    EXPECT_EQ(order, (std::vector<int> {btnScan, edUser, edPhone, edEmail, edContact, Button1, Button2, btnScan}));
    EXPECT_EQ(GetNextDlgTabItem(window.Handle(), nullptr, FALSE), Item(btnScan));
}

TEST_F(Form1WindowTest, ShowStepGreetsBeforeTheWindowIsOnScreen)
{
    EXPECT_EQ(StatusText(), ExpectedText::StatusAtStart);
    window.Show();
    EXPECT_EQ(backEnds.Inventory.Assignments, std::vector<bool> {true});
    EXPECT_EQ(window.Boxes, std::vector<std::string> {std::string("information: ") + ExpectedText::Greeting});
    EXPECT_EQ(window.VisibleAtBox, std::vector<bool> {false});
    EXPECT_TRUE(IsWindowVisible(window.Handle()));
    EXPECT_EQ(StatusText(), "There are 2 disks to be tested.");
    int minimum = -1, maximum = -1;
    SendMessageA(Item(DiskNumSpin), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&minimum), reinterpret_cast<LPARAM>(&maximum));
    EXPECT_EQ(minimum, 0);
    EXPECT_EQ(maximum, 1);
}

TEST_F(Form1WindowTest, LeavingAFieldChecksIt)
{
    SetWindowTextA(Item(edUser), "Jo Smith");
    SetWindowTextA(Item(edPhone), "0412 555 019");
    SetWindowTextA(Item(edEmail), "jo@example");
    SetFocus(Item(edUser));
    SetFocus(Item(edPhone));
    EXPECT_TRUE(window.Form().ValidName);
    EXPECT_FALSE(window.Form().ValidPhone) << "typing or entering a field judges nothing";
    SetFocus(Item(edEmail));
    EXPECT_TRUE(window.Form().ValidPhone);
    EXPECT_EQ(WindowText(Item(edPhone)), "0412555019");
    SetFocus(Item(btnScan));
    EXPECT_FALSE(window.Form().ValidEmail);

    SetWindowTextA(Item(edUser), "");
    SetFocus(Item(edUser));
    SetFocus(Item(btnScan));
    EXPECT_FALSE(window.Form().ValidName);
}

TEST_F(Form1WindowTest, AnotherWindowComingToTheFrontJudgesNoField)
{
    window.Show();
    TypePhoneAndStay();
    // Another program's window comes to the front (Alt+Tab), then this one again.
    WindowHandle elsewhere(CreateWindowExA(0, "STATIC", "elsewhere", WS_POPUP | WS_VISIBLE, 0, 0, 80, 40, nullptr,
                                           nullptr, GetModuleHandleA(nullptr), nullptr));
    SetActiveWindow(elsewhere.get());
    ExpectPhoneUnjudged();
    SetActiveWindow(window.Handle());
    EXPECT_EQ(GetFocus(), Item(edPhone)) << "the focus comes back to the field";
    ExpectPhoneJudgedOnMovingOn();
}

TEST_F(Form1WindowTest, OpeningThePreviewJudgesNoField)
{
    Form2Window preview(GetModuleHandleA(nullptr), window.Handle());
    window.SetPreview(preview);
    window.Show();
    TypePhoneAndStay();
    // The preview takes the focus until it is closed, then hands the window back.
    PostMessageA(preview.Handle(), WM_CLOSE, 0, 0);
    window.Form1Window::ShowPreview("Jo Smith\r\n"); // the real preview, not the recording one
    ExpectPhoneUnjudged();
    EXPECT_EQ(GetFocus(), Item(edPhone)) << "the focus comes back to the field";
    ExpectPhoneJudgedOnMovingOn();
}

TEST_F(Form1WindowTest, ClosingTheWindowJudgesNoField)
{
    window.Show();
    TypePhoneAndStay();
    SendMessageA(window.Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window.Handle()));
    EXPECT_FALSE(window.Form().ValidPhone);
}

TEST_F(Form1WindowTest, ChoosingNoContactGreysTheButtonAndYesEnablesIt)
{
    const auto choose = [this](int index) {
        SendMessageA(Item(edContact), CB_SETCURSEL, index, 0);
        SendMessageA(window.Handle(), WM_COMMAND, MAKEWPARAM(edContact, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(Item(edContact)));
    };
    choose(1);
    EXPECT_FALSE(window.Form().ContactAllowed);
    EXPECT_FALSE(IsWindowEnabled(Item(btnScan)));
    choose(0);
    EXPECT_TRUE(window.Form().ContactAllowed);
    EXPECT_TRUE(IsWindowEnabled(Item(btnScan)));
}

TEST_F(Form1WindowTest, OnlyShiftAltF1OpensThePreview)
{
    window.Form().Memo1.Add("Jo Smith");
    struct Case {
        unsigned key;
        bool shift, alt, ctrl, opens;
    };
    const Case cases[] = {
        {VK_F1, true, true, false, true},  {VK_F1, false, false, false, false}, {VK_F1, true, false, false, false},
        {VK_F1, false, true, false, false}, {VK_F1, true, true, true, false},   {VK_F1, true, false, true, false},
        {VK_F2, true, true, false, false},
    };
    for (const auto& c : cases) {
        window.Previews.clear();
        PressKey(c.key, c.shift, c.alt, c.ctrl);
        EXPECT_EQ(window.Previews.size(), c.opens ? 1u : 0u)
            << "key " << c.key << " shift " << c.shift << " alt " << c.alt << " ctrl " << c.ctrl;
    }
    PressKey(VK_F1, true, true, false);
    EXPECT_EQ(window.Previews, std::vector<std::string> {"Jo Smith\r\n"});
}

TEST_F(Form1WindowTest, ExecuteRunsTheTestAndFillsTheHiddenHolders)
{
    window.Show();
    window.Boxes.clear();
    SetWindowTextA(Item(edUser), "Jo Smith");
    SetWindowTextA(Item(edPhone), "0412 555 019");
    SetWindowTextA(Item(edEmail), "jo@example.com");
    for (ControlId field : {edUser, edPhone, edEmail, btnScan})
        SetFocus(Item(field));
    SendMessageA(Item(btnScan), BM_CLICK, 0, 0);

    const std::vector<std::string> boxes {std::string("plain: ") + ExpectedText::NotSupported,
                                          "plain: Report received"};
    EXPECT_EQ(window.Boxes, boxes);
    const std::string report = backEnds.Uploader.PostedContent;
    EXPECT_EQ(report.rfind("Jo Smith\r\n0412555019\r\njo@example.com\r\nYes, you may contact me.\r\n", 0), 0u);
    EXPECT_EQ(WindowText(Item(Memo1)), report);
    EXPECT_EQ(WindowText(Item(ResInfo)), "SMART Not Supported");
    EXPECT_EQ(SendMessageA(Item(DiskNumSpin), UDM_GETPOS32, 0, 0), 1);
}

// The window logic gets the same CP1252 text as from the Qt window, whatever the system's code
// page: what CP1252 lacks is "?", never a look-alike letter.
TEST_F(Form1WindowTest, FieldTextsReachTheRunAsCp1252)
{
    SetWindowTextW(Item(edUser), L"Nguy\u1EC5n \u03A3\u03BF\u03C6\u03AF\u03B1 \u738B \u0100 Zo\u00EB \u20AC");
    EXPECT_EQ(window.UserText(), "Nguy?n ????? ? ? Zo\xEB \x80");
    window.SetPhoneText("caf\xE9 \x80");
    wchar_t phone[16] {};
    GetWindowTextW(Item(edPhone), phone, 16);
    EXPECT_EQ(std::wstring(phone), L"caf\u00E9 \u20AC");
}

// A pasted name keeps only its first line; a line break that reaches the field all the same
// (set by another program) is refused with the name's warning, and no report is written.
TEST_F(Form1WindowTest, ALineBreakNeverReachesTheReport)
{
    window.Show();
    window.Boxes.clear();
    SetWindowTextA(Item(edUser), "Jo  Smith");
    SendMessageA(Item(edUser), EM_SETSEL, 3, 3);
    ASSERT_TRUE(OpenClipboard(window.Handle()));
    EmptyClipboard();
    const wchar_t pasted[] = L"B.\r\n0412 555 019\r\n===| Disk 7 |";
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof pasted);
    memcpy(GlobalLock(memory), pasted, sizeof pasted);
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
    SendMessageA(Item(edUser), WM_PASTE, 0, 0);
    EXPECT_EQ(window.UserText(), "Jo B. Smith");

    SetWindowTextA(Item(edUser), "Jo Smith\r\n===| Disk 7 |");
    SetWindowTextA(Item(edPhone), "0412 555 019");
    SetWindowTextA(Item(edEmail), "jo@example.com");
    for (ControlId field : {edUser, edPhone, edEmail, btnScan})
        SetFocus(Item(field));
    SendMessageA(Item(btnScan), BM_CLICK, 0, 0);
    EXPECT_EQ(window.Boxes, std::vector<std::string>{std::string("warning: ") + ExpectedText::InvalidName});
    EXPECT_TRUE(backEnds.Uploader.PostedContent.empty());
    EXPECT_EQ(window.Form().Memo1.Count(), 0);
}

TEST_F(Form1WindowTest, QuitClosesTheWindowThroughTheCloseStep)
{
    window.Show();
    SendMessageA(Item(Button1), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsWindow(window.Handle())) << "closing is asked for, not done inside the click";
    PumpMessages();
    EXPECT_EQ(backEnds.Inventory.Assignments, (std::vector<bool> {true, false}));
    EXPECT_FALSE(IsWindow(window.Handle()));
}

TEST_F(Form1WindowTest, ReadMeShowsItsBox)
{
    SendMessageA(Item(Button2), BM_CLICK, 0, 0);
    EXPECT_EQ(window.Boxes, std::vector<std::string> {std::string("information: ") + ExpectedText::ReadMe});
}

TEST(Banner, IsDecodedFromTheResourcesAndStretchedToTheBannerArea)
{
    const auto bitmap = LoadBanner(GetModuleHandleA(nullptr), 401, 89);
    BITMAP info {};
    ASSERT_TRUE(GetObjectA(bitmap.get(), sizeof(info), &info));
    EXPECT_EQ(info.bmWidth, 401);
    EXPECT_EQ(info.bmHeight, 89);
}

