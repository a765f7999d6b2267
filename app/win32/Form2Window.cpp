#include "app/win32/Form2Window.h"

#include "app/Form2Design.h"
#include "app/win32/Fonts.h"
#include "app/win32/ObjectWindowProc.h"
#include "app/win32/WindowClass.h"

namespace {

constexpr const char* ClassName = "TForm2";

} // namespace

Form2Window::Form2Window(HINSTANCE instance, HWND owner) : owner_(owner), font_(CreateFontOf(WindowDesign::FormFont))
{
    RegisterWindowClassOnce(instance, ClassName, ObjectWindowProc<Form2Window>, nullptr,
                            reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    window_.reset(CreateWindowExA(0, ClassName, Form2Design::Caption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, Form2Design::OuterWidth, Form2Design::OuterHeight, owner, nullptr,
                                  instance, this));
    RECT client {};
    GetClientRect(window_.get(), &client);
    // Long lines wrap at the window's width. A multi-line edit with a horizontal scroll bar wraps
    // nothing, so it has the vertical bar alone.
    memo_ = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_WANTRETURN |
                                ES_AUTOVSCROLL | ES_NOHIDESEL,
                            0, 0, client.right, client.bottom, window_.get(), nullptr, instance, nullptr);
    SendMessageA(memo_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    // Reports of many disks outgrow the edit control's default limit.
    SendMessageA(memo_, EM_SETLIMITTEXT, 0, 0);
}

void Form2Window::ShowModal(const std::string& text)
{
    SetWindowTextA(memo_, text.c_str());
    CentreOnOwner();
    EnableWindow(owner_, FALSE);
    ShowWindow(window_.get(), SW_SHOW);
    SetFocus(memo_);
    MSG message;
    while (IsWindowVisible(window_.get())) {
        if (GetMessageA(&message, nullptr, 0, 0) <= 0) {
            // The program is ending: leave the quit request for the main loop.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    EnableWindow(owner_, TRUE);
    ShowWindow(window_.get(), SW_HIDE);
    SetActiveWindow(owner_);
}

void Form2Window::CentreOnOwner()
{
    // The window keeps whatever size the user gave it at an earlier opening; maximised, it stays so.
    if (IsZoomed(window_.get()))
        return;
    RECT owner {}, own {};
    GetWindowRect(owner_, &owner);
    GetWindowRect(window_.get(), &own);
    const int left = owner.left + (owner.right - owner.left - (own.right - own.left)) / 2;
    const int top = owner.top + (owner.bottom - owner.top - (own.bottom - own.top)) / 2;
    SetWindowPos(window_.get(), nullptr, left, top, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
}

LRESULT Form2Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        MoveWindow(memo_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_CLOSE:
        // Give the owner its input back before this window goes, so it becomes the active one.
        EnableWindow(owner_, TRUE);
        ShowWindow(window_.get(), SW_HIDE);
        return 0;
    default:
        return DefWindowProcA(window_.get(), message, wParam, lParam);
    }
}
