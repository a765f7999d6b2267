#include "app/win32/Form1Layout.h"

#include "app/Messages.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <string_view>

namespace Form1Layout {

namespace {

constexpr DWORD Child = WS_CHILD | WS_VISIBLE;
constexpr DWORD Label = Child | SS_LEFTNOWORDWRAP | SS_NOPREFIX;
constexpr DWORD WrappedLabel = Child | SS_LEFT | SS_NOPREFIX;
constexpr DWORD CentredLabel = Child | SS_CENTER | SS_NOPREFIX;
constexpr DWORD Field = Child | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD Button = Child | WS_TABSTOP | BS_PUSHBUTTON;
// The hidden holders of the window state take part in the tab order but are never shown.
constexpr DWORD Hidden = WS_CHILD | WS_TABSTOP;

// The drop-down's height here is that of its opened list; the closed box is sized by its items.
constexpr std::array<Control, 21> Table {{
    {Image1, "Image1", "STATIC", Child | SS_BITMAP, 0, 0, 0, 401, 89, "", FontKind::Form},
    {Label7, "Label7", "STATIC", CentredLabel, 0, 0, 89, 401, 49, "Quillmark", FontKind::Title},
    {Label8, "Label8", "STATIC", CentredLabel, 0, 0, 138, 401, 18, "7 Quarry Lane Elmvale Mob: 0412 555 019",
     FontKind::Address},
    {Label1, "Label1", "STATIC", Label, 0, 48, 165, 35, 13, "Name *", FontKind::Form},
    {Label2, "Label2", "STATIC", Label, 0, 25, 188, 58, 13, "Telephone *", FontKind::Form},
    {Label3, "Label3", "STATIC", Label, 0, 53, 213, 31, 13, "email *", FontKind::Form},
    {Label5, "Label5", "STATIC", Label, 0, 14, 237, 71, 13, "Allow contact *", FontKind::Form},
    {Label4, "Label4", "STATIC", WrappedLabel, 0, 81, 258, 191, 13, "* - indicates a required and valid answer.",
     FontKind::Form},
    {Label6, "Label6", "STATIC", WrappedLabel, 0, 21, 306, 360, 26,
     "A SMART test will be run on each of your drives and the results uploaded to produce a PDF report. "
     "Click the execute SMART test button if you agree.",
     FontKind::Form},
    {sb1, "sb1", STATUSCLASSNAMEA, Child | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, 0, 0, 338, 401, 19,
     Messages::StatusAtStart, FontKind::Form},
    {Memo1, "Memo1", "EDIT", Hidden | ES_MULTILINE | ES_AUTOHSCROLL | ES_WANTRETURN | WS_VSCROLL, WS_EX_CLIENTEDGE, 16,
     424, 105, 57, "", FontKind::Form},
    {ResInfo, "ResInfo", "EDIT", Hidden | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 128, 424, 145, 21, "", FontKind::Form},
    {btnScan, "btnScan", "BUTTON", Button, 0, 176, 274, 217, 25, "Execute SMART Test", FontKind::Form},
    {edUser, "edUser", "EDIT", Field, WS_EX_CLIENTEDGE, 88, 162, 273, 21, "", FontKind::Form},
    {edPhone, "edPhone", "EDIT", Field, WS_EX_CLIENTEDGE, 88, 186, 273, 21, "", FontKind::Form},
    {edEmail, "edEmail", "EDIT", Field, WS_EX_CLIENTEDGE, 88, 210, 273, 21, "", FontKind::Form},
    {edContact, "edContact", "COMBOBOX", Child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 88, 234, 273, 120, "",
     FontKind::Form},
    {Button1, "Button1", "BUTTON", Button, 0, 8, 274, 65, 25, "Quit", FontKind::Form},
    {Button2, "Button2", "BUTTON", Button, 0, 79, 274, 91, 25, "Read me 1st", FontKind::Form},
    // The spin field: its edit and its buttons share the field's 41 x 21 pixels. The buttons are
    // placed here rather than aligned to the edit, which would narrow the pair.
    {DiskNum, "DiskNum", "EDIT", Hidden | ES_NUMBER, WS_EX_CLIENTEDGE, 352, 314, 25, 21, "0", FontKind::Form},
    {DiskNumSpin, "DiskNumSpin", UPDOWN_CLASSA, WS_CHILD | UDS_SETBUDDYINT | UDS_ARROWKEYS, 0, 377, 314, 16, 21, "",
     FontKind::Form},
}};

} // namespace

std::span<const Control> Controls()
{
    return Table;
}

const Control& Find(ControlId id)
{
    return *std::find_if(Table.begin(), Table.end(), [id](const Control& control) { return control.Id == id; });
}

bool IsTextLabel(const Control& control)
{
    return std::string_view(control.ClassName) == "STATIC" && (control.Style & SS_TYPEMASK) != SS_BITMAP;
}

bool WrapsItsText(const Control& control)
{
    return IsTextLabel(control) && (control.Style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP;
}

Placement PlaceControls(const std::function<TextExtent(const Control&)>& measure)
{
    Placement placement {{Table.begin(), Table.end()}, ClientHeight};
    auto& placed = placement.Controls;
    // From the top down, so a label that moved grows from where it now stands.
    std::vector<std::size_t> order(placed.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = k;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return placed[a].Top < placed[b].Top; });
    for (const std::size_t k : order) {
        Control& label = placed[k];
        if (!IsTextLabel(label))
            continue;
        const TextExtent text = measure(label);
        if (!WrapsItsText(label))
            label.Width = std::max(label.Width, text.Width);
        const int growth = text.Height - label.Height;
        if (growth <= 0)
            continue;
        const int bottom = label.Top + label.Height;
        for (Control& below : placed)
            if (below.Top >= bottom)
                below.Top += growth;
        label.Height += growth;
        placement.ClientHeight += growth;
    }
    return placement;
}

} // namespace Form1Layout
