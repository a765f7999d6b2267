#include "app/Form1Design.h"

#include "app/Messages.h"

#include <algorithm>

namespace Form1Design {

namespace {

using enum ControlKind;

constexpr std::array<Control, 21> Table {{
    {Image1, "Image1", Picture, 0, 0, 401, 89, "", FontKind::Form},
    {Label7, "Label7", Heading, 0, 89, 401, 49, "Quillmark", FontKind::Title},
    {Label8, "Label8", Heading, 0, 138, 401, 18, "7 Quarry Lane Elmvale Mob: 0412 555 019", FontKind::Address},
    {Label1, "Label1", Label, 48, 165, 35, 13, "Name *", FontKind::Form},
    {Label2, "Label2", Label, 25, 188, 58, 13, "Telephone *", FontKind::Form},
    {Label3, "Label3", Label, 53, 213, 31, 13, "email *", FontKind::Form},
    {Label5, "Label5", Label, 14, 237, 71, 13, "Allow contact *", FontKind::Form},
    {Label4, "Label4", WrappedLabel, 81, 258, 191, 13, "* - indicates a required and valid answer.", FontKind::Form},
    {Label6, "Label6", WrappedLabel, 21, 306, 360, 26,
     "A SMART test will be run on each of your drives and the results uploaded to produce a PDF report. "
     "Click the execute SMART test button if you agree.",
     FontKind::Form},
    {sb1, "sb1", StatusLine, 0, 338, 401, 19, Messages::StatusAtStart, FontKind::Form},
    {Memo1, "Memo1", HiddenLines, 16, 424, 105, 57, "", FontKind::Form},
    {ResInfo, "ResInfo", HiddenText, 128, 424, 145, 21, "", FontKind::Form},
    {btnScan, "btnScan", Button, 176, 274, 217, 25, "Execute SMART Test", FontKind::Form},
    {edUser, "edUser", Field, 88, 162, 273, 21, "", FontKind::Form},
    {edPhone, "edPhone", Field, 88, 186, 273, 21, "", FontKind::Form},
    {edEmail, "edEmail", Field, 88, 210, 273, 21, "", FontKind::Form},
    {edContact, "edContact", DropDown, 88, 234, 273, 120, "", FontKind::Form},
    {Button1, "Button1", Button, 8, 274, 65, 25, "Quit", FontKind::Form},
    {Button2, "Button2", Button, 79, 274, 91, 25, "Read me 1st", FontKind::Form},
    // The spin field: its edit and its buttons share the field's 41 x 21 pixels.
    {DiskNum, "DiskNum", HiddenNumber, 352, 314, 25, 21, "0", FontKind::Form},
    {DiskNumSpin, "DiskNumSpin", HiddenNumberButtons, 377, 314, 16, 21, "", FontKind::Form},
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

const WindowDesign::Font& FontOf(FontKind kind)
{
    return kind == FontKind::Title ? TitleFont : kind == FontKind::Address ? AddressFont : WindowDesign::FormFont;
}

bool IsTextLabel(const Control& control)
{
    return control.Kind == Heading || control.Kind == Label || control.Kind == WrappedLabel;
}

bool WrapsItsText(const Control& control)
{
    return control.Kind == Heading || control.Kind == WrappedLabel;
}

std::array<const char*, 2> ContactChoices()
{
    return {Messages::ContactYes, Messages::ContactNo};
}

} // namespace Form1Design
