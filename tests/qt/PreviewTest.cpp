#include "ViewHarness.h"

#include <QApplication>
#include <QtTest>

#include <functional>

namespace {

// Notes the keys that reach a control, and whether the preview was open at that moment.
class KeyRecorder : public QObject {
public:
    explicit KeyRecorder(const QWidget& preview) : preview_(preview) {}
    std::vector<bool> F1WhilePreviewOpen;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1)
            F1WhilePreviewOpen.push_back(preview_.isVisible());
        return false;
    }

private:
    const QWidget& preview_;
};

// Runs an action when the watched window is shown.
class OnShow : public QObject {
public:
    explicit OnShow(std::function<void()> action) : action_(std::move(action)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            action_();
        return false;
    }

private:
    std::function<void()> action_;
};

} // namespace

class PreviewTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ViewHarness> h;

    // Presses F1 with the modifiers as a keyboard does: to the window, which passes it on to the
    // focused control. If the preview opens, its text is taken, whileOpen runs, and the preview
    // is closed as the user would.
    bool PressF1(Qt::KeyboardModifiers modifiers, QString* text = nullptr,
                 const std::function<void(Form2View&)>& whileOpen = {})
    {
        Form2View& preview = h->View.Preview();
        bool opened = false;
        OnShow watcher([&] {
            opened = true;
            // Looked at once the modal loop runs.
            QTimer::singleShot(0, &preview, [&] {
                if (text)
                    *text = preview.Memo1.toPlainText();
                if (whileOpen)
                    whileOpen(preview);
                preview.close();
            });
        });
        preview.installEventFilter(&watcher);
        QTest::keyClick(h->View.windowHandle(), Qt::Key_F1, modifiers);
        // The preview's closing hands the activation back through the event queue.
        if (opened && !QTest::qWaitFor([this] { return QApplication::activeWindow() == &h->View; }))
            qFatal("the main window did not come back after the preview");
        return opened;
    }

private slots:
    void init()
    {
        h = std::make_unique<ViewHarness>();
        h->View.show();
        QVERIFY(QTest::qWaitForWindowActive(&h->View));
    }
    void cleanup() { h.reset(); }

    void onlyShiftAltF1OpensThePreview_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("opens");
        QTest::newRow("Shift+Alt+F1") << int(Qt::ShiftModifier | Qt::AltModifier) << true;
        QTest::newRow("Ctrl+Shift+Alt+F1") << int(Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier) << false;
        QTest::newRow("Shift+F1") << int(Qt::ShiftModifier) << false;
        QTest::newRow("Alt+F1") << int(Qt::AltModifier) << false;
        QTest::newRow("Ctrl+Shift+F1") << int(Qt::ControlModifier | Qt::ShiftModifier) << false;
        QTest::newRow("F1") << int(Qt::NoModifier) << false;
    }

    void onlyShiftAltF1OpensThePreview()
    {
        QFETCH(int, modifiers);
        QFETCH(bool, opens);
        for (QWidget* focused : {static_cast<QWidget*>(&h->View.btnScan), static_cast<QWidget*>(&h->View.edUser),
                                 static_cast<QWidget*>(&h->View.edContact)}) {
            focused->setFocus(Qt::TabFocusReason);
            QCOMPARE(PressF1(Qt::KeyboardModifiers(modifiers)), opens);
        }
    }

    void theKeyGoesOnToTheFocusedControlAfterThePreview()
    {
        KeyRecorder recorder(h->View.Preview());
        h->View.edUser.installEventFilter(&recorder);
        h->View.edUser.setFocus(Qt::TabFocusReason);
        QVERIFY(PressF1(Qt::ShiftModifier | Qt::AltModifier));
        QCOMPARE(recorder.F1WhilePreviewOpen, std::vector<bool>{false});
        QCOMPARE(QApplication::focusWidget(), &h->View.edUser);
    }

    void previewShowsTheReportLinesAndForgetsEdits()
    {
        QString text;
        QVERIFY(PressF1(Qt::ShiftModifier | Qt::AltModifier, &text));
        QCOMPARE(text, QString());

        h->View.Form().Memo1.Add("Jo Smith");
        h->View.Form().Memo1.Add("Temp : 35\xB0" "C");
        QVERIFY(PressF1(Qt::ShiftModifier | Qt::AltModifier, &text,
                        [](Form2View& preview) { preview.Memo1.insertPlainText(QStringLiteral("typed")); }));
        QCOMPARE(text, QStringLiteral("Jo Smith\nTemp : 35\u00B0C\n"));
        QCOMPARE(h->View.Form().Memo1.Text(), std::string("Jo Smith\r\nTemp : 35\xB0" "C\r\n"));

        QVERIFY(PressF1(Qt::ShiftModifier | Qt::AltModifier, &text));
        QCOMPARE(text, QStringLiteral("Jo Smith\nTemp : 35\u00B0C\n"));
    }

    void previewIsAResizableWindowFilledByItsText()
    {
        Form2View& preview = h->View.Preview();
        QCOMPARE(preview.windowTitle(), QStringLiteral("Content to Send"));
        QVERIFY(PressF1(Qt::ShiftModifier | Qt::AltModifier, nullptr, [](Form2View& open) {
            QVERIFY(open.isModal());
            QCOMPARE(open.Memo1.geometry(), open.rect());
            open.resize(600, 300);
            QCOMPARE(open.Memo1.geometry(), QRect(0, 0, 600, 300));
            QCOMPARE(open.Memo1.lineWrapMode(), QPlainTextEdit::WidgetWidth);
            QCOMPARE(open.Memo1.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
            QCOMPARE(open.Memo1.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        }));
        QVERIFY(preview.minimumSize() != preview.maximumSize());
    }
};

QTEST_MAIN(PreviewTest)
#include "PreviewTest.moc"
