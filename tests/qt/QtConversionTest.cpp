#include "app/Form1Design.h"
#include "app/Unit1.h"
#include "app/qt/Fonts.h"
#include "app/qt/KeyMapping.h"
#include "app/qt/QtText.h"

#include <QFontInfo>
#include <QtTest>

class QtConversionTest : public QObject {
    Q_OBJECT

private slots:
    void keysMapToVirtualKeyCodes()
    {
        QCOMPARE(VirtualKeyOf(Qt::Key_F1), VK_F1_KEY);
        QCOMPARE(VirtualKeyOf(Qt::Key_F2), 113u);
        QCOMPARE(VirtualKeyOf(Qt::Key_F12), 123u);
        QCOMPARE(VirtualKeyOf(Qt::Key_A), 65u);
        QCOMPARE(VirtualKeyOf(Qt::Key_Shift), 0u);
        QCOMPARE(VirtualKeyOf(Qt::Key_Escape), 0u);
        QCOMPARE(ShiftStateOf(Qt::NoModifier), 0u);
        QCOMPARE(ShiftStateOf(Qt::ShiftModifier | Qt::AltModifier), unsigned(ssShift | ssAlt));
        QCOMPARE(ShiftStateOf(Qt::ShiftModifier | Qt::AltModifier | Qt::ControlModifier | Qt::KeypadModifier),
                 unsigned(ssShift | ssAlt | ssCtrl));
    }

    void textRoundTripsThroughCp1252()
    {
        QCOMPARE(ToCp1252(QStringLiteral("\u20AC\u00E9\u2019")), std::string("\x80\xE9\x92"));
        QCOMPARE(ToCp1252(QStringLiteral("\u65E5\U0001F600")), std::string("??"));
        QCOMPARE(FromCp1252("\x80\xE9\x92"), QStringLiteral("\u20AC\u00E9\u2019"));
        QCOMPARE(ShownText("a\r\nb\r\n"), QStringLiteral("a\nb\n"));
    }

    void facesFallBackToAnInstalledSansSerif()
    {
        for (const QFont& font : {WindowFont(), QtFont(Form1Design::TitleFont)}) {
            const QFontInfo used(font);
            QVERIFY2(font.families().contains(used.family()), qPrintable(used.family()));
        }
        QCOMPARE(QFontInfo(QtFont(Form1Design::AddressFont)).pixelSize(), 16);
    }
};

QTEST_MAIN(QtConversionTest)
#include "QtConversionTest.moc"
