#include "app/qt/Form1View.h"

#include "app/Form1Design.h"
#include "app/Messages.h"
#include "app/qt/Banner.h"
#include "app/qt/Fonts.h"
#include "app/qt/KeyMapping.h"
#include "app/qt/QtText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>

namespace {

QColor QtColour(WindowDesign::Rgb colour)
{
    return QColor(colour.Red, colour.Green, colour.Blue);
}

QRect PlaceOf(const Form1Design::Control& design)
{
    return QRect(design.Left, design.Top, design.Width, design.Height);
}

QString TextOf(const Form1Design::Control& design)
{
    return FromCp1252(design.Text);
}

// A label that names the field to its right keeps its right edge where it was laid out; a face
// wider than the original grows it to the left rather than cutting its text.
void PlaceFieldLabel(QLabel& label, const Form1Design::Control& design)
{
    label.setText(TextOf(design));
    label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QRect place = PlaceOf(design);
    const int needed = label.sizeHint().width();
    if (needed > place.width())
        place.setLeft(place.right() + 1 - needed);
    label.setGeometry(place);
}

// A word-wrapped text that needs more lines than laid out in a wider face is widened evenly on
// both sides, up to the window's margins, until it fits its lines again.
void PlaceWrappedLabel(QLabel& label, const Form1Design::Control& design)
{
    constexpr int margin = 8;
    label.setText(TextOf(design));
    label.setWordWrap(true);
    label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    int left = design.Left;
    int width = design.Width;
    while (label.heightForWidth(width) > design.Height && left > margin) {
        --left;
        width += 2;
    }
    label.setGeometry(left, design.Top, width, design.Height);
}

// The business's name or address: centred, in the heading colour and the label's own font.
void PlaceHeading(QLabel& label, const Form1Design::Control& design)
{
    QPalette colours = label.palette();
    colours.setColor(QPalette::WindowText, QtColour(Form1Design::HeadingColour));
    label.setText(TextOf(design));
    label.setFont(QtFont(Form1Design::FontOf(design.Font)));
    label.setPalette(colours);
    label.setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label.setGeometry(PlaceOf(design));
}

void PlaceButton(QPushButton& button, const Form1Design::Control& design)
{
    button.setText(TextOf(design));
    button.setGeometry(PlaceOf(design));
    button.setAutoDefault(false);
}

} // namespace

Form1View::Form1View(RunOperations operations, std::string uploadURL, MessageBoxFunction showBox)
    : Image1(this), Label7(this), Label8(this), Label1(this), edUser(this), Label2(this), edPhone(this), Label3(this),
      edEmail(this), Label5(this), edContact(this), Label4(this), Button1(this), Button2(this), btnScan(this),
      Label6(this), sb1(this), Form2(this), showBox_(std::move(showBox)),
      form_(*this, std::move(operations), std::move(uploadURL))
{
    setWindowTitle(QString::fromLatin1(Messages::FormCaption));
    // A fixed dialog frame: a close button, no minimise or maximise box, no resizing.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(WindowFont());
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QtColour(Form1Design::WindowColour));
    setPalette(colours);
    setAutoFillBackground(true);

    LayOut();
    Connect();
    for (QLineEdit* field : {&edUser, &edPhone, &edEmail}) {
        field->installEventFilter(this);
        field->setValidator(&singleLine_);
    }
}

Form1View::~Form1View()
{
    // A field that has the focus gives it up while it is destroyed, after the form it would
    // report leaving to: the window stops watching the fields first.
    for (QLineEdit* field : {&edUser, &edPhone, &edEmail})
        field->removeEventFilter(this);
}

void Form1View::LayOut()
{
    using Form1Design::Find;
    setFixedSize(Form1Design::ClientWidth, Form1Design::ClientHeight);

    Image1.setGeometry(PlaceOf(Find(Form1Design::Image1)));
    Image1.setScaledContents(true);
    Image1.setPixmap(BannerPixmap());
    PlaceHeading(Label7, Find(Form1Design::Label7));
    PlaceHeading(Label8, Find(Form1Design::Label8));

    PlaceFieldLabel(Label1, Find(Form1Design::Label1));
    PlaceFieldLabel(Label2, Find(Form1Design::Label2));
    PlaceFieldLabel(Label3, Find(Form1Design::Label3));
    PlaceFieldLabel(Label5, Find(Form1Design::Label5));
    edUser.setGeometry(PlaceOf(Find(Form1Design::edUser)));
    edPhone.setGeometry(PlaceOf(Find(Form1Design::edPhone)));
    edEmail.setGeometry(PlaceOf(Find(Form1Design::edEmail)));
    QRect contact = PlaceOf(Find(Form1Design::edContact));
    contact.setHeight(Form1Design::ContactClosedHeight);
    edContact.setGeometry(contact);
    edContact.setEditable(false);
    for (const char* choice : Form1Design::ContactChoices())
        edContact.addItem(FromCp1252(choice));
    edContact.setCurrentIndex(0);

    // On its one line: a face wider than the original widens it to the right.
    const auto& required = Find(Form1Design::Label4);
    Label4.setText(TextOf(required));
    Label4.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label4.setGeometry(required.Left, required.Top, std::max(required.Width, Label4.sizeHint().width()),
                       required.Height);

    PlaceButton(Button1, Find(Form1Design::Button1));
    PlaceButton(Button2, Find(Form1Design::Button2));
    PlaceButton(btnScan, Find(Form1Design::btnScan));
    PlaceWrappedLabel(Label6, Find(Form1Design::Label6));

    // The status line keeps the face colour of the system, not the window's blue.
    const auto& status = Find(Form1Design::sb1);
    QPalette face = sb1.palette();
    face.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    sb1.setPalette(face);
    sb1.setAutoFillBackground(true);
    sb1.setSizeGripEnabled(false);
    sb1.setGeometry(PlaceOf(status));
    sb1Text.setText(TextOf(status));
    sb1.addWidget(&sb1Text, 1);

    // Tab goes name, telephone, e-mail, contact, "Quit", "Read me 1st", and back to the
    // button the window opens with.
    setTabOrder(&btnScan, &edUser);
    setTabOrder(&edUser, &edPhone);
    setTabOrder(&edPhone, &edEmail);
    setTabOrder(&edEmail, &edContact);
    setTabOrder(&edContact, &Button1);
    setTabOrder(&Button1, &Button2);
    setTabOrder(&Button2, &btnScan);
    btnScan.setFocus();
}

void Form1View::Connect()
{
    connect(&edContact, &QComboBox::activated, this, [this] { Handle(&TForm1::edContactChange); });
    connect(&btnScan, &QPushButton::clicked, this, [this] { Handle(&TForm1::btnScanClick); });
    connect(&Button1, &QPushButton::clicked, this, [this] { Handle(&TForm1::Button1Click); });
    connect(&Button2, &QPushButton::clicked, this, [this] { Handle(&TForm1::Button2Click); });
}

void Form1View::Handle(void (TForm1::*handler)())
{
    form_.HandleEvent([this, handler] { (form_.*handler)(); });
}

void Form1View::setVisible(bool visible)
{
    if (visible && !isVisible()) {
        if (const QScreen* where = screen())
            move(where->availableGeometry().center() - rect().center());
        Handle(&TForm1::FormShow);
    }
    QWidget::setVisible(visible);
    // Keys reach the window before the control with the focus: the window's own events pass
    // through this filter before Qt hands them to the focused control.
    if (visible)
        windowHandle()->installEventFilter(this);
}

void Form1View::closeEvent(QCloseEvent* event)
{
    Handle(&TForm1::FormClose);
    event->accept();
}

bool Form1View::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        // Moving to another window (a box, the preview) does not leave the field.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == &edUser)
                Handle(&TForm1::edUserExit);
            else if (watched == &edPhone)
                Handle(&TForm1::edPhoneExit);
            else if (watched == &edEmail)
                Handle(&TForm1::edEmailExit);
        }
    } else if (event->type() == QEvent::KeyPress && watched == windowHandle()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const unsigned virtualKey = VirtualKeyOf(key->key());
        const unsigned shift = ShiftStateOf(key->modifiers());
        form_.HandleEvent([this, virtualKey, shift] { form_.FormKeyDown(virtualKey, shift); });
    }
    // The key goes on to the focused control in every case.
    return false;
}

QWidget* Form1View::BoxParent()
{
    // The greeting comes before the window is on screen; it is then centred on the screen.
    return isVisible() ? this : nullptr;
}

std::string Form1View::UserText() const
{
    return ToCp1252(edUser.text());
}

std::string Form1View::PhoneText() const
{
    return ToCp1252(edPhone.text());
}

void Form1View::SetPhoneText(const std::string& text)
{
    edPhone.setText(FromCp1252(text));
}

std::string Form1View::EmailText() const
{
    return ToCp1252(edEmail.text());
}

std::string Form1View::ContactText() const
{
    return ToCp1252(edContact.currentText());
}

int Form1View::ContactIndex() const
{
    return edContact.currentIndex();
}

void Form1View::SetScanEnabled(bool enabled)
{
    btnScan.setEnabled(enabled);
}

void Form1View::SetStatusText(const std::string& text)
{
    sb1Text.setText(FromCp1252(text));
    sb1Text.repaint();
}

void Form1View::ShowWarning(const std::string& text)
{
    showBox_(BoxParent(), BoxKind::Warning, ShownText(text));
}

void Form1View::ShowInformation(const std::string& text)
{
    showBox_(BoxParent(), BoxKind::Information, ShownText(text));
}

void Form1View::ShowPlain(const std::string& text)
{
    showBox_(BoxParent(), BoxKind::Plain, ShownText(text));
}

void Form1View::ShowError(const std::string& text)
{
    showBox_(BoxParent(), BoxKind::Error, ShownText(text));
}

void Form1View::ShowPreview(const std::string& text)
{
    Form2.ShowModal(ShownText(text));
    // Without a window manager nothing hands the focus back once the preview is gone.
    activateWindow();
}

void Form1View::Close()
{
    close();
}
