#include "app/qt/Form2View.h"

#include "app/Form2Design.h"
#include "app/qt/Fonts.h"

Form2View::Form2View(QWidget* parent) : QDialog(parent), Memo1(this)
{
    setWindowTitle(QString::fromLatin1(Form2Design::Caption));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    setFont(WindowFont());
    Memo1.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    resize(Form2Design::ClientWidth, Form2Design::ClientHeight);
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
