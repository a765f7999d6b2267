#include "app/win32/Form1Window.h"

#include "app/Messages.h"
#include "app/win32/Banner.h"
#include "app/win32/Fonts.h"
#include "app/win32/Form2Window.h"
#include "app/win32/ObjectWindowProc.h"
#include "app/win32/WindowClass.h"
#include "base/Exception.h"
#include "base/Text.h"

#include <commctrl.h>

#include <cmath>

namespace {

constexpr const char* ClassName = "TForm1";
constexpr DWORD FrameStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD FrameExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// The outer rectangle of a window with the given client size, centred on the screen.
RECT CentredFrame(int clientWidth, int clientHeight)
{
    RECT frame {0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, FrameStyle, FALSE, FrameExStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    return {left, top, left + width, top + height};
}

// The design of the control with that identifier, if it is one of the design's.
const Form1Layout::Control* DesignOf(int id)
{
    for (const auto& control : Form1Layout::Controls())
        if (control.Id == id)
            return &control;
    return nullptr;
}

// The picture and the labels stand on the window's colour; the edits keep the system's.
bool StandsOnTheWindowColour(const Form1Layout::Control& control)
{
    return Form1Layout::IsTextLabel(control) || control.Kind == Form1Layout::ControlKind::Picture;
}

bool IsContactField(int id)
{
    return id == Form1Layout::edUser || id == Form1Layout::edPhone || id == Form1Layout::edEmail;
}

LPCWSTR WideText(const std::u16string& text)
{
    return reinterpret_cast<LPCWSTR>(text.c_str());
}

// The contact fields are Unicode edits: one made by the ANSI call keeps its text in the system's
// ANSI code page, where a name in another script is lost or turned into look-alike letters
// before the program could read it.
HWND CreateControl(const Form1Layout::Control& control, HWND parent, HINSTANCE instance)
{
    const auto menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.Id));
    const Form1Layout::Creation made = Form1Layout::CreationOf(control.Kind);
    if (!IsContactField(control.Id))
        return CreateWindowExA(made.ExStyle, made.ClassName, control.Text, made.Style, control.Left, control.Top,
                               control.Width, control.Height, parent, menu, instance, nullptr);
    return CreateWindowExW(made.ExStyle, WideText(Cp1252ToUtf16(made.ClassName)), WideText(Cp1252ToUtf16(control.Text)),
                           made.Style, control.Left, control.Top, control.Width, control.Height, parent, menu, instance,
                           nullptr);
}

unsigned ShiftState(const MSG& message)
{
    unsigned shift = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        shift |= ssShift;
    // A key pressed with Alt down arrives as a system key with the context bit set.
    if (GetKeyState(VK_MENU) < 0 || (message.message == WM_SYSKEYDOWN && (message.lParam & (1 << 29))))
        shift |= ssAlt;
    if (GetKeyState(VK_CONTROL) < 0)
        shift |= ssCtrl;
    return shift;
}

} // namespace

Form1Window::Form1Window(HINSTANCE instance, HWND owner, RunOperations operations, std::string uploadURL)
    : form_(*this, std::move(operations), std::move(uploadURL)),
      background_(CreateSolidBrush(Form1Layout::ColourOf(Form1Design::WindowColour))),
      formFont_(CreateFontOf(WindowDesign::FormFont)),
      titleFont_(CreateFontOf(Form1Design::TitleFont)),
      addressFont_(CreateFontOf(Form1Design::AddressFont)),
      banner_(LoadBanner(instance, Form1Layout::Find(Form1Layout::Image1).Width,
                         Form1Layout::Find(Form1Layout::Image1).Height))
{
    RegisterWindowClassOnce(instance, ClassName, ObjectWindowProc<Form1Window>, LoadIconA(instance, "MAINICON"),
                            nullptr);
    // Laid out in the fonts the window has here, so no label's text is cut.
    const auto placement = Form1Layout::PlaceControls([this](const Form1Layout::Control& label) {
        const SIZE text = LabelTextExtent(FontOf(label), label.Text, label.Width, Form1Layout::WrapsItsText(label));
        return Form1Layout::TextExtent {text.cx, text.cy};
    });
    const RECT frame = CentredFrame(Form1Layout::ClientWidth, placement.ClientHeight);
    window_.reset(CreateWindowExA(FrameExStyle, ClassName, Messages::FormCaption, FrameStyle, frame.left, frame.top,
                                  frame.right - frame.left, frame.bottom - frame.top, owner, nullptr, instance, this));
    if (!window_)
        throw Exception("Cannot create the main window");
    CreateControls(instance, placement);
}

Form1Window::~Form1Window() = default;

HFONT Form1Window::FontOf(const Form1Layout::Control& control) const
{
    using Form1Layout::FontKind;
    return control.Font == FontKind::Title     ? titleFont_.get()
           : control.Font == FontKind::Address ? addressFont_.get()
                                               : formFont_.get();
}

void Form1Window::CreateControls(HINSTANCE instance, const Form1Layout::Placement& placement)
{
    using namespace Form1Layout;
    for (const auto& control : placement.Controls) {
        HWND handle = CreateControl(control, window_.get(), instance);
        SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(control)), FALSE);
    }
    SendMessageA(Control(Image1), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(banner_.get()));

    HWND contact = Control(edContact);
    for (const char* choice : ContactChoices())
        SendMessageA(contact, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
    SendMessageA(contact, CB_SETCURSEL, 0, 0);
    // The closed box is as high as the text fields beside it: its item height plus the frame.
    SendMessageA(contact, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), ContactClosedHeight - 6);

    HWND status = Control(sb1);
    SendMessageA(status, SB_SIMPLE, TRUE, 0);
    SendMessageA(status, SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(Find(sb1).Text));

    for (ControlId field : {edUser, edPhone, edEmail})
        SetWindowSubclass(Control(field), FieldMessage, field, reinterpret_cast<DWORD_PTR>(this));

    SendMessageA(Control(Memo1), EM_SETLIMITTEXT, 0, 0);
    SendMessageA(Control(DiskNumSpin), UDM_SETBUDDY, reinterpret_cast<WPARAM>(Control(DiskNum)), 0);
    ShowHolders();
}

void Form1Window::Show()
{
    form_.HandleEvent([this] { form_.FormShow(); });
    ShowHolders();
    ShowWindow(window_.get(), SW_SHOWNORMAL);
    UpdateWindow(window_.get());
}

void Form1Window::PreviewKey(const MSG& message)
{
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN)
        return;
    if (message.hwnd != window_.get() && !IsChild(window_.get(), message.hwnd))
        return;
    const auto key = static_cast<unsigned>(message.wParam);
    const unsigned shift = ShiftState(message);
    form_.HandleEvent([this, key, shift] { form_.FormKeyDown(key, shift); });
}

void Form1Window::ShowHolders()
{
    using namespace Form1Layout;
    SetWindowTextA(Control(Memo1), form_.Memo1.Text().c_str());
    SetWindowTextA(Control(ResInfo), form_.ResInfo.c_str());
    HWND spin = Control(DiskNumSpin);
    const auto whole = [](double value) { return static_cast<int>(std::trunc(value)); };
    SendMessageA(spin, UDM_SETRANGE32, whole(form_.DiskNum.MinValue), whole(form_.DiskNum.MaxValue));
    SendMessageA(spin, UDM_SETPOS32, 0, whole(form_.DiskNum.Value));
}

std::string Form1Window::TextOf(Form1Layout::ControlId id) const
{
    // Read as UTF-16 and turned into CP1252 by the program's own table: every character CP1252
    // lacks becomes "?", as in the Qt window, where the ANSI call would depend on the system's
    // code page and put look-alike letters in its place (S for Sigma).
    HWND control = Control(id);
    std::u16string text(static_cast<std::size_t>(GetWindowTextLengthW(control)), u'\0');
    const int length =
        GetWindowTextW(control, reinterpret_cast<LPWSTR>(text.data()), static_cast<int>(text.size()) + 1);
    text.resize(static_cast<std::size_t>(length));
    return Utf16ToCp1252(text);
}

std::string Form1Window::UserText() const
{
    return TextOf(Form1Layout::edUser);
}

std::string Form1Window::PhoneText() const
{
    return TextOf(Form1Layout::edPhone);
}

void Form1Window::SetPhoneText(const std::string& text)
{
    SetWindowTextW(Control(Form1Layout::edPhone), WideText(Cp1252ToUtf16(text)));
}

std::string Form1Window::EmailText() const
{
    return TextOf(Form1Layout::edEmail);
}

std::string Form1Window::ContactText() const
{
    return TextOf(Form1Layout::edContact);
}

int Form1Window::ContactIndex() const
{
    return static_cast<int>(SendMessageA(Control(Form1Layout::edContact), CB_GETCURSEL, 0, 0));
}

void Form1Window::SetScanEnabled(bool enabled)
{
    EnableWindow(Control(Form1Layout::btnScan), enabled);
}

void Form1Window::SetStatusText(const std::string& text)
{
    HWND status = Control(Form1Layout::sb1);
    SendMessageA(status, SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(text.c_str()));
    UpdateWindow(status);
}

void Form1Window::ShowWarning(const std::string& text)
{
    MessageBoxA(window_.get(), text.c_str(), "Warning", MB_OK | MB_ICONWARNING);
}

void Form1Window::ShowInformation(const std::string& text)
{
    MessageBoxA(window_.get(), text.c_str(), "Information", MB_OK | MB_ICONINFORMATION);
}

void Form1Window::ShowPlain(const std::string& text)
{
    MessageBoxA(window_.get(), text.c_str(), Messages::ApplicationTitle, MB_OK);
}

void Form1Window::ShowError(const std::string& text)
{
    MessageBoxA(window_.get(), text.c_str(), Messages::ApplicationTitle, MB_OK | MB_ICONERROR);
}

void Form1Window::ShowPreview(const std::string& text)
{
    if (!preview_)
        return;
    // The preview disables this window, which drops the focus before this window hears that it
    // is no longer active: the control that had it is noted now, to have it back afterwards.
    RememberFocus();
    preview_->ShowModal(text);
}

void Form1Window::RememberFocus()
{
    HWND focus = GetFocus();
    if (focus && IsChild(window_.get(), focus))
        lastFocus_ = focus;
}

void Form1Window::Close()
{
    // Closing is asked for, not done here: the handler that asks is still running.
    PostMessageA(window_.get(), WM_CLOSE, 0, 0);
}

LRESULT Form1Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_CTLCOLORSTATIC:
        return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_ACTIVATE:
        // The focus leaves with the window and comes back to the same control; the first time
        // it goes to the first visible control in tab order, "Execute SMART Test".
        if (LOWORD(wParam) == WA_INACTIVE) {
            RememberFocus();
        } else {
            SetFocus(lastFocus_ && IsWindowEnabled(lastFocus_) ? lastFocus_
                                                               : GetNextDlgTabItem(window_.get(), nullptr, FALSE));
        }
        return 0;
    case WM_ERASEBKGND: {
        RECT client {};
        GetClientRect(window_.get(), &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, background_.get());
        return 1;
    }
    case WM_CLOSE:
        form_.HandleEvent([this] { form_.FormClose(); });
        DestroyWindow(window_.get());
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window_.get(), message, wParam, lParam);
    }
}

LRESULT CALLBACK Form1Window::FieldMessage(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                           DWORD_PTR window)
{
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(field, FieldMessage, id);
    const LRESULT result = DefSubclassProc(field, message, wParam, lParam);
    if (message == WM_KILLFOCUS)
        reinterpret_cast<Form1Window*>(window)->OnFieldLeft(static_cast<int>(id), reinterpret_cast<HWND>(wParam));
    return result;
}

void Form1Window::OnFieldLeft(int id, HWND focus)
{
    // Only a move to another control of this window leaves the field. The focus also goes when
    // another program's window comes to the front, when the preview opens and when this window
    // closes; the field is not left then, and the user comes back to it as it was.
    if (!focus || !IsChild(window_.get(), focus))
        return;
    using namespace Form1Layout;
    switch (id) {
    case edUser:
        form_.HandleEvent([this] { form_.edUserExit(); });
        break;
    case edPhone:
        form_.HandleEvent([this] { form_.edPhoneExit(); });
        break;
    case edEmail:
        form_.HandleEvent([this] { form_.edEmailExit(); });
        break;
    default:
        break;
    }
}

void Form1Window::OnCommand(int id, int code)
{
    using namespace Form1Layout;
    switch (id) {
    case edContact:
        if (code == CBN_SELCHANGE)
            form_.HandleEvent([this] { form_.edContactChange(); });
        break;
    case btnScan:
        if (code == BN_CLICKED) {
            form_.HandleEvent([this] { form_.btnScanClick(); });
            ShowHolders();
        }
        break;
    case Button1:
        if (code == BN_CLICKED)
            form_.HandleEvent([this] { form_.Button1Click(); });
        break;
    case Button2:
        if (code == BN_CLICKED)
            form_.HandleEvent([this] { form_.Button2Click(); });
        break;
    default:
        break;
    }
}

LRESULT Form1Window::OnControlColour(HDC dc, HWND control)
{
    const Form1Layout::Control* design = DesignOf(GetDlgCtrlID(control));
    if (!design || !StandsOnTheWindowColour(*design))
        return DefWindowProcA(window_.get(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                              reinterpret_cast<LPARAM>(control));
    const bool heading = design->Kind == Form1Layout::ControlKind::Heading;
    SetTextColor(dc, heading ? Form1Layout::ColourOf(Form1Design::HeadingColour) : GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, Form1Layout::ColourOf(Form1Design::WindowColour));
    return reinterpret_cast<LRESULT>(background_.get());
}
