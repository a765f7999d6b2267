#include "app/win32/Form1Layout.h"

#include <commctrl.h>

#include <algorithm>

namespace Form1Layout {

namespace {

constexpr DWORD Child = WS_CHILD | WS_VISIBLE;
// The hidden holders of the window state take part in the tab order but are never shown.
constexpr DWORD Hidden = WS_CHILD | WS_TABSTOP;

} // namespace

Creation CreationOf(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Picture:
        return {"STATIC", Child | SS_BITMAP, 0};
    case ControlKind::Heading:
        return {"STATIC", Child | SS_CENTER | SS_NOPREFIX, 0};
    case ControlKind::Label:
        return {"STATIC", Child | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0};
    case ControlKind::WrappedLabel:
        return {"STATIC", Child | SS_LEFT | SS_NOPREFIX, 0};
    case ControlKind::StatusLine:
        return {STATUSCLASSNAMEA, Child | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, 0};
    case ControlKind::Field:
        return {"EDIT", Child | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::DropDown:
        // Its height is that of its opened list; the closed box is sized by its items.
        return {"COMBOBOX", Child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
    case ControlKind::Button:
        return {"BUTTON", Child | WS_TABSTOP | BS_PUSHBUTTON, 0};
    case ControlKind::HiddenLines:
        return {"EDIT", Hidden | ES_MULTILINE | ES_AUTOHSCROLL | ES_WANTRETURN | WS_VSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::HiddenText:
        return {"EDIT", Hidden | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::HiddenNumber:
        return {"EDIT", Hidden | ES_NUMBER, WS_EX_CLIENTEDGE};
    case ControlKind::HiddenNumberButtons:
        break;
    }
    // The disk number's buttons, placed by the design rather than aligned to the edit, which
    // would narrow the pair.
    return {UPDOWN_CLASSA, WS_CHILD | UDS_SETBUDDYINT | UDS_ARROWKEYS, 0};
}

Placement PlaceControls(const std::function<TextExtent(const Control&)>& measure)
{
    const auto design = Form1Design::Controls();
    Placement placement {{design.begin(), design.end()}, ClientHeight};
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
