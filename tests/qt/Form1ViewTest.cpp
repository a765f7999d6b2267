#include "ViewHarness.h"

#include "app/qt/QtText.h"
#include "tests/ExpectedTexts.h"

#include <QApplication>
#include <QClipboard>
#include <QtTest>

namespace {

QString ShownMessage(const char* text)
{
    return ShownText(text);
}

} // namespace

class Form1ViewTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ViewHarness> h;

    // Shows the window as the program does, and takes the greeting out of the record.
    Form1View& Shown(int disks)
    {
        h->Inventory.Count = disks;
        h->View.show();
        if (!QTest::qWaitForWindowActive(&h->View))
            qFatal("the main window never became active");
        h->Boxes.clear();
        return h->View;
    }

    // Types into a field as a person does, then leaves it with Tab.
    static void TypeAndLeave(QLineEdit& field, const QString& text)
    {
        field.setFocus(Qt::TabFocusReason);
        QTest::keyClicks(&field, text);
        QTest::keyClick(&field, Qt::Key_Tab);
    }

private slots:
    void init() { h = std::make_unique<ViewHarness>(); }
    void cleanup() { h.reset(); }

    void greetingComesBeforeTheWindowAppears()
    {
        h->Inventory.Count = 2;
        h->View.show();
        QCOMPARE(h->Boxes.size(), 1u);
        QCOMPARE(h->Boxes[0].Kind, BoxKind::Information);
        QCOMPARE(h->Boxes[0].Text, ShownMessage(ExpectedText::Greeting));
        QVERIFY(!h->Boxes[0].WindowVisible);
        QCOMPARE(h->View.StatusLine(), QStringLiteral("There are 2 disks to be tested."));
        QVERIFY(QTest::qWaitForWindowActive(&h->View));
        QCOMPARE(QApplication::focusWidget(), &h->View.btnScan);
    }

    void windowIsLaidOutAtFixedSize()
    {
        Form1View& view = Shown(0);
        QCOMPARE(view.windowTitle(), QStringLiteral("Quillmark SMART Test."));
        QCOMPARE(view.size(), QSize(401, 357));
        QCOMPARE(view.minimumSize(), view.maximumSize());
        QVERIFY(!(view.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(view.windowFlags() & Qt::WindowMinimizeButtonHint));
        QCOMPARE(view.palette().color(QPalette::Window), QColor(0, 102, 204));
        QCOMPARE(view.Label7.palette().color(QPalette::WindowText), QColor(Qt::white));
        QCOMPARE(view.Label7.font().pixelSize(), 43);
        QCOMPARE(view.edUser.font().pixelSize(), 11);
        QCOMPARE(view.Image1.geometry(), QRect(0, 0, 401, 89));
        QCOMPARE(view.Image1.pixmap().size(), QSize(800, 171));
        QCOMPARE(view.btnScan.geometry(), QRect(176, 274, 217, 25));
        QCOMPARE(view.sb1.geometry(), QRect(0, 338, 401, 19));
        QVERIFY(!view.sb1.isSizeGripEnabled());
        QCOMPARE(view.edContact.count(), 2);
        QVERIFY(!view.edContact.isEditable());
        // Every field label ends where its field begins, whatever the face's widths.
        for (QLabel* label : {&view.Label1, &view.Label2, &view.Label3, &view.Label5})
            QVERIFY2(label->geometry().right() < 88, qPrintable(label->text()));
        // Kept beside the test results, to look at the window as laid out offscreen.
        view.grab().save(QStringLiteral("qt-window-offscreen.png"));
    }

    void tabVisitsTheControlsInOrder()
    {
        Form1View& view = Shown(0);
        const QWidget* expected[] = {&view.edUser,  &view.edPhone, &view.edEmail, &view.edContact,
                                     &view.Button1, &view.Button2, &view.btnScan};
        for (const QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
    }

    void leavingEachFieldJudgesIt()
    {
        Form1View& view = Shown(0);
        view.edUser.setFocus(Qt::TabFocusReason);
        QTest::keyClicks(&view.edUser, QStringLiteral("Anne"));
        QVERIFY2(!view.Form().ValidName, "typing alone judges nothing");
        QTest::keyClick(&view.edUser, Qt::Key_Tab);
        QVERIFY(view.Form().ValidName);

        TypeAndLeave(view.edPhone, QStringLiteral("0412 555 019"));
        QVERIFY(view.Form().ValidPhone);
        TypeAndLeave(view.edEmail, QStringLiteral("jo@example.com"));
        QVERIFY(view.Form().ValidEmail);

        // Clearing a field that was accepted and leaving it again revokes it.
        view.edUser.setFocus(Qt::BacktabFocusReason);
        view.edUser.clear();
        view.edPhone.setFocus(Qt::TabFocusReason);
        QVERIFY(!view.Form().ValidName);
    }

    void blanksVanishFromTheTelephoneField()
    {
        Form1View& view = Shown(0);
        TypeAndLeave(view.edPhone, QStringLiteral(" 0412 555 019 "));
        QCOMPARE(view.edPhone.text(), QStringLiteral("0412555019"));
        // Tab selects the whole field, so typing replaces what was there.
        TypeAndLeave(view.edPhone, QStringLiteral(" (02) 555"));
        QCOMPARE(view.edPhone.text(), QStringLiteral("(02)555"));
        QVERIFY(!view.Form().ValidPhone);
    }

    void leavingForAnotherWindowIsNotLeavingTheField()
    {
        Form1View& view = Shown(0);
        view.edPhone.setFocus(Qt::TabFocusReason);
        QTest::keyClicks(&view.edPhone, QStringLiteral("1 2"));
        QFocusEvent deactivated(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(&view.edPhone, &deactivated);
        QCOMPARE(view.edPhone.text(), QStringLiteral("1 2"));
    }

    void contactChoiceGreysAndEnablesTheButton()
    {
        Form1View& view = Shown(0);
        view.edContact.setFocus(Qt::TabFocusReason);
        QTest::keyClick(&view.edContact, Qt::Key_Down);
        QCOMPARE(view.edContact.currentText(), QStringLiteral("No, may not contact me."));
        QVERIFY(!view.Form().ContactAllowed);
        QVERIFY(!view.btnScan.isEnabled());
        QTest::mouseClick(&view.btnScan, Qt::LeftButton);
        QVERIFY2(h->Boxes.empty(), "a greyed button starts no run");

        QTest::keyClick(&view.edContact, Qt::Key_Up);
        QVERIFY(view.Form().ContactAllowed);
        QVERIFY(view.btnScan.isEnabled());
    }

    void aRunShowsItsBoxesInOrder()
    {
        Form1View& view = Shown(1);
        QTest::mouseClick(&view.btnScan, Qt::LeftButton);
        TypeAndLeave(view.edUser, QStringLiteral("Jo Smith"));
        TypeAndLeave(view.edPhone, QStringLiteral("0412 555 019"));
        // The click itself takes the focus from the e-mail field, which is judged first.
        view.edEmail.setFocus(Qt::TabFocusReason);
        QTest::keyClicks(&view.edEmail, QStringLiteral("jo@example.com"));
        QTest::mouseClick(&view.btnScan, Qt::LeftButton);

        QCOMPARE(h->Boxes.size(), 3u);
        QCOMPARE(h->Boxes[0].Kind, BoxKind::Warning);
        QCOMPARE(h->Boxes[0].Text, ShownMessage(ExpectedText::InvalidName));
        QCOMPARE(h->Boxes[1].Kind, BoxKind::Plain);
        QCOMPARE(h->Boxes[1].Text, ShownMessage(ExpectedText::NotSupported));
        QCOMPARE(h->Boxes[2].Kind, BoxKind::Plain);
        QCOMPARE(h->Boxes[2].Text, QStringLiteral("Thank you"));
        QVERIFY(h->Boxes[2].WindowVisible);
        QCOMPARE(view.Form().Memo1.Count(), 4 + 4);
    }

    // A name pasted from an e-mail signature brings its other lines along; each field keeps
    // only the first line of what arrives, as Windows' single-line edit does.
    void pastedLinesStayOutOfTheReport()
    {
        Form1View& view = Shown(1);
        view.edUser.setFocus(Qt::TabFocusReason);
        QTest::keyClicks(&view.edUser, QStringLiteral("Jo  Smith"));
        for (int step = 0; step < 6; ++step)
            QTest::keyClick(&view.edUser, Qt::Key_Left);
        QApplication::clipboard()->setText(QStringLiteral("B.\r\n0412 555 019\r\n===| Disk 7 |"));
        QTest::keyClick(&view.edUser, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(view.edUser.text(), QStringLiteral("Jo B. Smith"));
        QTest::keyClick(&view.edUser, Qt::Key_Tab);
        QVERIFY(view.Form().ValidName);

        view.edPhone.setText(QStringLiteral("0412 555 019\njo@example.com"));
        QCOMPARE(view.edPhone.text(), QStringLiteral("0412 555 019"));
        QTest::keyClick(&view.edPhone, Qt::Key_Tab);
        view.edEmail.setText(QStringLiteral("\njo@example.com"));
        QCOMPARE(view.edEmail.text(), QString());
        view.edEmail.setText(QStringLiteral("jo@example.com\r"));
        QCOMPARE(view.edEmail.text(), QStringLiteral("jo@example.com"));
        QTest::mouseClick(&view.btnScan, Qt::LeftButton);

        const TStringList& report = view.Form().Memo1;
        QCOMPARE(report.Count(), 4 + 4);
        QCOMPARE(report[0], std::string("Jo B. Smith"));
        QCOMPARE(report[1], std::string("0412555019"));
        QCOMPARE(report[2], std::string("jo@example.com"));
        QCOMPARE(report[4].rfind("===| Disk 0 |", 0), 0u);
    }

    void readMeAndAnEscapedError()
    {
        Form1View& view = Shown(0);
        QTest::mouseClick(&view.Button2, Qt::LeftButton);
        TypeAndLeave(view.edUser, QStringLiteral("Jo Smith"));
        TypeAndLeave(view.edPhone, QStringLiteral("0412555019"));
        TypeAndLeave(view.edEmail, QStringLiteral("jo@example.com"));
        h->Uploader.OpenFails = true;
        QTest::mouseClick(&view.btnScan, Qt::LeftButton);

        QCOMPARE(h->Boxes.size(), 2u);
        QCOMPARE(h->Boxes[0].Kind, BoxKind::Information);
        QCOMPARE(h->Boxes[0].Text, ShownMessage(ExpectedText::ReadMe));
        QCOMPARE(h->Boxes[1].Kind, BoxKind::Error);
        QCOMPARE(h->Boxes[1].Text, QStringLiteral("Cannot open file \"Jo_Smith-1569147670.smart\". Access is denied."));
        QFile::remove(QStringLiteral("Jo_Smith-1569147670.smart"));
    }

    void quitClosesTheWindow()
    {
        Form1View& view = Shown(0);
        QTest::mouseClick(&view.Button1, Qt::LeftButton);
        QVERIFY(!view.isVisible());
    }

    void textCrossesAsCp1252()
    {
        Form1View& view = Shown(0);
        view.edUser.setText(QStringLiteral("Zo\u00EB \u20AC \u65E5"));
        QCOMPARE(view.UserText(), std::string("Zo\xEB \x80 ?"));
        view.SetPhoneText("caf\xE9");
        QCOMPARE(view.edPhone.text(), QStringLiteral("caf\u00E9"));
    }
};

QTEST_MAIN(Form1ViewTest)
#include "Form1ViewTest.moc"
