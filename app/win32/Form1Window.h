#pragma once

#include "app/Unit1.h"
#include "app/WindowView.h"
#include "app/win32/Form1Layout.h"
#include "app/win32/GdiObjects.h"

#include <string>

class Form2Window;

// The main window "Quillmark SMART Test." drawn with plain Win32 controls. Its events go to
// TForm1, each through TForm1::HandleEvent; TForm1 talks back through the MainView calls.
class Form1Window : public WindowView {
public:
    // The owner is the application window, which carries the task-bar button.
    Form1Window(HINSTANCE instance, HWND owner, RunOperations operations, std::string uploadURL);
    ~Form1Window() override;
    Form1Window(const Form1Window&) = delete;
    Form1Window& operator=(const Form1Window&) = delete;

    // The preview is created after this window and opened by its key handler.
    void SetPreview(Form2Window& preview) { preview_ = &preview; }
    // The show step runs first (the greeting box included), then the window comes on screen.
    void Show();
    // Called by the message loop for every message before the focused control gets it: key
    // presses in this window go to TForm1::FormKeyDown with the Shift, Alt and Ctrl state.
    void PreviewKey(const MSG& message);

    HWND Handle() const { return window_.get(); }
    HWND Control(Form1Layout::ControlId id) const { return GetDlgItem(window_.get(), id); }
    TForm1& Form() { return form_; }

    std::string UserText() const override;
    std::string PhoneText() const override;
    void SetPhoneText(const std::string& text) override;
    std::string EmailText() const override;
    std::string ContactText() const override;
    int ContactIndex() const override;
    void SetScanEnabled(bool enabled) override;
    void SetStatusText(const std::string& text) override;
    void ShowWarning(const std::string& text) override;
    void ShowInformation(const std::string& text) override;
    void ShowPlain(const std::string& text) override;
    void ShowError(const std::string& text) override;
    void ShowPreview(const std::string& text) override;
    void Close() override;

private:
    template <class Window>
    friend LRESULT CALLBACK ObjectWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls(HINSTANCE instance, const Form1Layout::Placement& placement);
    HFONT FontOf(const Form1Layout::Control& control) const;
    // The contact fields pass through here, for the control that the focus goes to on leaving.
    static LRESULT CALLBACK FieldMessage(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR window);
    void OnFieldLeft(int id, HWND focus);
    void OnCommand(int id, int code);
    void RememberFocus();
    LRESULT OnControlColour(HDC dc, HWND control);
    // Copies the window state into its hidden holders after the events that change it.
    void ShowHolders();
    std::string TextOf(Form1Layout::ControlId id) const;

    TForm1 form_;
    Form2Window* preview_ = nullptr;
    GdiObject<HBRUSH> background_;
    GdiObject<HFONT> formFont_;
    GdiObject<HFONT> titleFont_;
    GdiObject<HFONT> addressFont_;
    GdiObject<HBITMAP> banner_;
    WindowHandle window_;
    // The control that had the focus when the window last lost it; it gets it back on activation.
    HWND lastFocus_ = nullptr;
};
