#include "app/qt/Form1View.h"

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

const QColor WindowColour(0, 102, 204);

// A label that names the field to its right keeps its right edge where it was laid out; a face
// wider than the original grows it to the left rather than cutting its text.
void PlaceFieldLabel(QLabel& label, int left, int top, int width, int height)
{
    const int needed = label.sizeHint().width();
    if (needed > width) {
        left -= needed - width;
        width = needed;
    }
    label.setGeometry(left, top, width, height);
}

// A word-wrapped text that needs more lines than laid out in a wider face is widened evenly on
// both sides, up to the window's margins, until it fits its lines again.
void PlaceWrappedLabel(QLabel& label, int left, int top, int width, int height)
{
    constexpr int margin = 8;
    while (label.heightForWidth(width) > height && left > margin) {
        --left;
        width += 2;
    }
    label.setGeometry(left, top, width, height);
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
    colours.setColor(QPalette::Window, WindowColour);
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
    setFixedSize(401, 357);

    Image1.setGeometry(0, 0, 401, 89);
    Image1.setScaledContents(true);
    Image1.setPixmap(BannerPixmap());

    QPalette white = Label7.palette();
    white.setColor(QPalette::WindowText, Qt::white);
    Label7.setText(QStringLiteral("Quillmark"));
    Label7.setFont(ArialFont(43));
    Label7.setPalette(white);
    Label7.setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label7.setGeometry(0, 89, 401, 49);
    Label8.setText(QStringLiteral("7 Quarry Lane Elmvale Mob: 0412 555 019"));
    Label8.setFont(ArialFont(16));
    Label8.setPalette(white);
    Label8.setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label8.setGeometry(0, 138, 401, 18);

    const struct {
        QLabel& label;
        const char* text;
        int left, top, width;
    } fieldLabels[] = {
        {Label1, "Name *", 48, 165, 35},
        {Label2, "Telephone *", 25, 188, 58},
        {Label3, "email *", 53, 213, 31},
        {Label5, "Allow contact *", 14, 237, 71},
    };
    for (const auto& f : fieldLabels) {
        f.label.setText(QString::fromLatin1(f.text));
        f.label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
        PlaceFieldLabel(f.label, f.left, f.top, f.width, 13);
    }
    edUser.setGeometry(88, 162, 273, 21);
    edPhone.setGeometry(88, 186, 273, 21);
    edEmail.setGeometry(88, 210, 273, 21);
    edContact.setGeometry(88, 234, 273, 21);
    edContact.setEditable(false);
    edContact.addItem(FromCp1252(Messages::ContactYes));
    edContact.addItem(FromCp1252(Messages::ContactNo));
    edContact.setCurrentIndex(0);

    Label4.setText(QStringLiteral("* - indicates a required and valid answer."));
    Label4.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label4.setGeometry(81, 258, std::max(191, Label4.sizeHint().width()), 13);

    Button1.setText(QStringLiteral("Quit"));
    Button1.setGeometry(8, 274, 65, 25);
    Button2.setText(QStringLiteral("Read me 1st"));
    Button2.setGeometry(79, 274, 91, 25);
    btnScan.setText(QStringLiteral("Execute SMART Test"));
    btnScan.setGeometry(176, 274, 217, 25);
    for (QPushButton* button : {&Button1, &Button2, &btnScan})
        button->setAutoDefault(false);

    Label6.setText(QStringLiteral("A SMART test will be run on each of your drives and the results uploaded to produce "
                                  "a PDF report. Click the execute SMART test button if you agree."));
    Label6.setWordWrap(true);
    Label6.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PlaceWrappedLabel(Label6, 21, 306, 360, 26);

    // The status line keeps the face colour of the system, not the window's blue.
    QPalette face = sb1.palette();
    face.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    sb1.setPalette(face);
    sb1.setAutoFillBackground(true);
    sb1.setSizeGripEnabled(false);
    sb1.setGeometry(0, 338, 401, 19);
    sb1Text.setText(QString::fromLatin1(Messages::StatusAtStart));
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
