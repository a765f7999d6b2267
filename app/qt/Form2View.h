#pragma once

#include <QDialog>
#include <QPlainTextEdit>

// The preview window "Content to Send": one editable text filling the window. Its text is a
// copy of the report, replaced at every opening and never read back.
class Form2View : public QDialog {
public:
    explicit Form2View(QWidget* parent);

    // Fills the text and shows the window modally until the user closes it.
    void ShowModal(const QString& text);

    QPlainTextEdit Memo1;

protected:
    void resizeEvent(QResizeEvent* event) override;
};
