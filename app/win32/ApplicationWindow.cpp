#include "app/win32/ApplicationWindow.h"

#include "app/Messages.h"
#include "app/win32/ObjectWindowProc.h"
#include "app/win32/WindowClass.h"
#include "base/Exception.h"

namespace {

constexpr const char* ClassName = "QMSmartTestApplication";

} // namespace

ApplicationWindow::ApplicationWindow(HINSTANCE instance)
{
    RegisterWindowClassOnce(instance, ClassName, ObjectWindowProc<ApplicationWindow>, LoadIconA(instance, "MAINICON"),
                            nullptr);
    // Visible, unowned and with a caption and system menu, so the shell gives it a button with
    // the usual menu; of no size and far outside the screen, where minimised windows are put,
    // so nothing of it is ever seen.
    constexpr int OutsideTheScreen = -32000;
    window_.reset(CreateWindowExA(0, ClassName, Messages::ApplicationTitle, WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                  OutsideTheScreen, OutsideTheScreen, 0, 0, nullptr, nullptr, instance, this));
    if (!window_)
        throw Exception("Cannot create the application window");
    ShowWindow(window_.get(), SW_SHOWNORMAL);
}

LRESULT ApplicationWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ACTIVATE:
        // This window's own activation names it the last active of its windows, so the main
        // window is asked instead: it knows which of its boxes, or itself, was active last.
        if (LOWORD(wParam) != WA_INACTIVE && mainWindow_ && IsWindow(mainWindow_)) {
            HWND last = GetLastActivePopup(mainWindow_);
            if (IsWindowVisible(last) && IsWindowEnabled(last))
                SetActiveWindow(last);
        }
        return 0;
    case WM_CLOSE:
        // Closing goes through the main window's own close step; while one of its boxes is up
        // the main window takes no input, and the request is dropped as a click on it would be.
        if (mainWindow_ && IsWindow(mainWindow_) && IsWindowEnabled(mainWindow_))
            PostMessageA(mainWindow_, WM_CLOSE, 0, 0);
        return 0;
    default:
        return DefWindowProcA(window_.get(), message, wParam, lParam);
    }
}
