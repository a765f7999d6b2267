#include "RecordingWindow.h"

#include "app/win32/Form2Window.h"

#include <gtest/gtest.h>

TEST(Form2Window, OpensModallyCentredOnTheMainWindowWithTheText)
{
    FakeBackEnds backEnds;
    RecordingWindow main(backEnds);
    main.Show();
    Form2Window preview(GetModuleHandleA(nullptr), main.Handle());
    EXPECT_FALSE(IsWindowVisible(preview.Handle())) << "created hidden";
    EXPECT_EQ(WindowText(preview.Handle()), "Content to Send");

    // The close request waits in the queue and is handled by the preview's own loop.
    PostMessageA(preview.Handle(), WM_CLOSE, 0, 0);
    preview.ShowModal("Jo Smith\r\n");
    EXPECT_FALSE(IsWindowVisible(preview.Handle()));
    EXPECT_TRUE(IsWindowEnabled(main.Handle()));
    EXPECT_EQ(WindowText(preview.Memo()), "Jo Smith\r\n");

    RECT outer {}, owner {}, client {};
    GetWindowRect(preview.Handle(), &outer);
    GetWindowRect(main.Handle(), &owner);
    EXPECT_EQ(outer.right - outer.left, 413);
    EXPECT_EQ(outer.bottom - outer.top, 419);
    EXPECT_NEAR((outer.left + outer.right) / 2, (owner.left + owner.right) / 2, 1);
    EXPECT_NEAR((outer.top + outer.bottom) / 2, (owner.top + owner.bottom) / 2, 1);
    GetClientRect(preview.Handle(), &client);
    const RECT memo = PlaceOf(preview.Memo());
    EXPECT_EQ(memo.right - memo.left, client.right);
    EXPECT_EQ(memo.bottom - memo.top, client.bottom);

    // Edits made in the preview are dropped at the next opening.
    SetWindowTextA(preview.Memo(), "edited");
    PostMessageA(preview.Handle(), WM_CLOSE, 0, 0);
    preview.ShowModal("Jo Smith\r\n");
    EXPECT_EQ(WindowText(preview.Memo()), "Jo Smith\r\n");
}

TEST(Form2Window, FollowsTheWindowSize)
{
    FakeBackEnds backEnds;
    RecordingWindow main(backEnds);
    Form2Window preview(GetModuleHandleA(nullptr), main.Handle());
    SetWindowPos(preview.Handle(), nullptr, 0, 0, 600, 500, SWP_NOZORDER | SWP_NOMOVE);
    RECT client {};
    GetClientRect(preview.Handle(), &client);
    const RECT memo = PlaceOf(preview.Memo());
    EXPECT_EQ(memo.right - memo.left, client.right);
    EXPECT_EQ(memo.bottom - memo.top, client.bottom);
}

namespace {

// Stands in for the user dragging the preview's frame while it is open, then closing it.
void CALLBACK ResizeThenClose(HWND preview, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(preview, timer);
    SetWindowPos(preview, nullptr, 0, 0, 600, 500, SWP_NOZORDER | SWP_NOMOVE);
    PostMessageA(preview, WM_CLOSE, 0, 0);
}

int LineCount(HWND memo)
{
    return static_cast<int>(SendMessageA(memo, EM_GETLINECOUNT, 0, 0));
}

} // namespace

TEST(Form2Window, LongLinesWrapAtTheWindowWidth)
{
    FakeBackEnds backEnds;
    RecordingWindow main(backEnds);
    Form2Window preview(GetModuleHandleA(nullptr), main.Handle());
    std::string line;
    for (int row = 0; row < 12; ++row)
        line += "5;Reallocated Sector Count;OK;100;100;36;0;Y;Y;N ";
    PostMessageA(preview.Handle(), WM_CLOSE, 0, 0);
    preview.ShowModal(line);

    const int atFirstSize = LineCount(preview.Memo());
    EXPECT_GT(atFirstSize, 3) << "one line of " << line.size() << " characters";
    SetWindowPos(preview.Handle(), nullptr, 0, 0, 826, 419, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_LT(LineCount(preview.Memo()), atFirstSize) << "a wider window wraps later";
    const auto style = static_cast<DWORD>(GetWindowLongA(preview.Memo(), GWL_STYLE));
    EXPECT_TRUE(style & WS_VSCROLL) << "the vertical bar stays";
}

TEST(Form2Window, KeepsTheSizeTheUserGaveItBetweenOpenings)
{
    FakeBackEnds backEnds;
    RecordingWindow main(backEnds);
    main.Show();
    Form2Window preview(GetModuleHandleA(nullptr), main.Handle());
    SetTimer(preview.Handle(), 1, 0, ResizeThenClose);
    preview.ShowModal("Jo Smith\r\n");

    PostMessageA(preview.Handle(), WM_CLOSE, 0, 0);
    preview.ShowModal("Jo Smith\r\n");
    RECT outer {}, owner {};
    GetWindowRect(preview.Handle(), &outer);
    GetWindowRect(main.Handle(), &owner);
    EXPECT_EQ(outer.right - outer.left, 600);
    EXPECT_EQ(outer.bottom - outer.top, 500);
    EXPECT_NEAR((outer.left + outer.right) / 2, (owner.left + owner.right) / 2, 1) << "centred at its own size";
    EXPECT_NEAR((outer.top + outer.bottom) / 2, (owner.top + owner.bottom) / 2, 1);
}
