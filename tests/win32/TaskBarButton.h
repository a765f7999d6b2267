#pragma once

#include <windows.h>

// Whether the shell gives the window a task-bar button: a visible top-level window that is not a
// tool window and either has no owner or asks for a button.
inline bool HasTaskBarButton(HWND window)
{
    const auto extended = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
    const bool unowned = GetWindow(window, GW_OWNER) == nullptr;
    return IsWindowVisible(window) && !(extended & WS_EX_TOOLWINDOW) && (unowned || (extended & WS_EX_APPWINDOW));
}
