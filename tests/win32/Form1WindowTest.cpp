#include "RecordingWindow.h"

#include "app/Messages.h"
#include "app/win32/Banner.h"
#include "app/win32/Form2Window.h"

#include <commctrl.h>
#include <gtest/gtest.h>

using namespace Form1Layout;

namespace {

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
};

} // namespace

TEST_F(Form1WindowTest, FrameIsAFixedDialogOf401By357CentredOnTheScreen)
{
    RECT client {};
    GetClientRect(window.Handle(), &client);
    EXPECT_EQ(client.right, ClientWidth);
    EXPECT_EQ(client.bottom, ClientHeight);
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

TEST_F(Form1WindowTest, ControlsSitWhereTheLayoutPutsThem)
{
    for (const auto& control : Controls()) {
        if (control.Id == DiskNum || control.Id == DiskNumSpin)
            continue; // the spin buttons take their share of the hidden field
        SCOPED_TRACE(control.Name);
        const RECT place = PlaceOf(Item(control.Id));
        EXPECT_EQ(place.left, control.Left);
        EXPECT_EQ(place.top, control.Top);
        EXPECT_EQ(place.right - place.left, control.Width);
        EXPECT_EQ(place.bottom - place.top, control.Id == edContact ? ContactClosedHeight : control.Height);
        EXPECT_EQ(WindowText(Item(control.Id)), control.Id == edContact ? Messages::ContactYes : control.Text);
    }
    for (ControlId hidden : {Memo1, ResInfo, DiskNum, DiskNumSpin})
        EXPECT_FALSE(IsWindowVisible(Item(hidden)));
    EXPECT_EQ(SendMessageA(Item(edContact), CB_GETCOUNT, 0, 0), 2);
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
    EXPECT_EQ(StatusText(), Messages::StatusAtStart);
    window.Show();
    EXPECT_EQ(backEnds.Inventory.Assignments, std::vector<bool> {true});
    EXPECT_EQ(window.Boxes, std::vector<std::string> {std::string("information: ") + Messages::Greeting});
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

    EXPECT_EQ(window.Boxes,
              (std::vector<std::string> {std::string("plain: ") + Messages::NotSupported, "plain: Report received"}));
    const std::string report = backEnds.Uploader.PostedContent;
    EXPECT_EQ(report.rfind("Jo Smith\r\n0412555019\r\njo@example.com\r\nYes, you may contact me.\r\n", 0), 0u);
    EXPECT_EQ(WindowText(Item(Memo1)), report);
    EXPECT_EQ(WindowText(Item(ResInfo)), "SMART Not Supported");
    EXPECT_EQ(SendMessageA(Item(DiskNumSpin), UDM_GETPOS32, 0, 0), 1);
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
    EXPECT_EQ(window.Boxes, std::vector<std::string> {std::string("information: ") + Messages::ReadMe});
}

TEST(Banner, IsDecodedFromTheResourcesAndStretchedToTheBannerArea)
{
    const auto bitmap = LoadBanner(GetModuleHandleA(nullptr), 401, 89);
    BITMAP info {};
    ASSERT_TRUE(GetObjectA(bitmap.get(), sizeof(info), &info));
    EXPECT_EQ(info.bmWidth, 401);
    EXPECT_EQ(info.bmHeight, 89);
}
