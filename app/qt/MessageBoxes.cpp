#include "app/qt/MessageBoxes.h"

#include "app/Messages.h"

#include <QMessageBox>

void ShowMessageBox(QWidget* parent, BoxKind kind, const QString& text)
{
    QMessageBox box(parent);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
    switch (kind) {
    case BoxKind::Warning:
        box.setWindowTitle(QStringLiteral("Warning"));
        box.setIcon(QMessageBox::Warning);
        break;
    case BoxKind::Information:
        box.setWindowTitle(QStringLiteral("Information"));
        box.setIcon(QMessageBox::Information);
        break;
    case BoxKind::Plain:
        box.setWindowTitle(QString::fromLatin1(Messages::ApplicationTitle));
        box.setIcon(QMessageBox::NoIcon);
        break;
    case BoxKind::Error:
        box.setWindowTitle(QString::fromLatin1(Messages::ApplicationTitle));
        box.setIcon(QMessageBox::Critical);
        break;
    }
    box.exec();
}
