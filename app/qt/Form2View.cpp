#include "app/qt/Form2View.h"

#include "app/qt/Fonts.h"

Form2View::Form2View(QWidget* parent) : QDialog(parent), Memo1(this)
{
    setWindowTitle(QStringLiteral("Content to Send"));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    setFont(WindowFont());
    Memo1.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The client area of a 413 x 419 window with a standard frame.
    resize(405, 392);
}

void Form2View::ShowModal(const QString& text)
{
    Memo1.setPlainText(text);
    exec();
}

void Form2View::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    Memo1.setGeometry(rect());
}
