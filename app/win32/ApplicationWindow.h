#pragma once

#include "app/win32/GdiObjects.h"

// The program's own top-level window, titled with the application title "QM Smart Test". It has
// no surface of its own (no size), owns the main window and carries the task-bar button for all
// the program's windows: from the greeting box on, which comes before the main window is on
// screen, until the program ends. Activated from the task bar, it hands the activation on to
// whichever of its windows was active last.
class ApplicationWindow {
public:
    explicit ApplicationWindow(HINSTANCE instance);
    ApplicationWindow(const ApplicationWindow&) = delete;
    ApplicationWindow& operator=(const ApplicationWindow&) = delete;

    // The main window, once it exists: the activation goes to it or its box active last, and
    // "Close" from the task bar asks it to close.
    void SetMainWindow(HWND mainWindow) { mainWindow_ = mainWindow; }
    HWND Handle() const { return window_.get(); }

private:
    template <class Window>
    friend LRESULT CALLBACK ObjectWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    HWND mainWindow_ = nullptr;
    WindowHandle window_;
};
