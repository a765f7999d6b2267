#pragma once

#include <windows.h>

// The window procedure of a window class whose object is passed as the creation parameter: the
// object is kept in the window's user data and handles every message from WM_NCCREATE on, once
// it holds its window handle; until then, and after WM_NCDESTROY, the default procedure does.
template <class Window>
LRESULT CALLBACK ObjectWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY)
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    if (!self || !self->Handle())
        return DefWindowProcA(window, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
}
