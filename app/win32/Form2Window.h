#pragma once

#include "app/win32/GdiObjects.h"

#include <string>

// The preview window "Content to Send": one editable multi-line text filling its client area.
// Created hidden; closing it only hides it again.
class Form2Window {
public:
    Form2Window(HINSTANCE instance, HWND owner);
    Form2Window(const Form2Window&) = delete;
    Form2Window& operator=(const Form2Window&) = delete;

    // Puts the text in, centres the window on the owner at the size it had when last closed and
    // shows it modally: the owner takes no input until the preview is closed.
    void ShowModal(const std::string& text);

    HWND Handle() const { return window_.get(); }
    HWND Memo() const { return memo_; }

private:
    template <class Window>
    friend LRESULT CALLBACK ObjectWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CentreOnOwner();

    HWND owner_;
    GdiObject<HFONT> font_;
    WindowHandle window_;
    HWND memo_ = nullptr;
};
