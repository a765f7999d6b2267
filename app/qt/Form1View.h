#pragma once

#include "app/Unit1.h"
#include "app/WindowView.h"
#include "app/qt/Form2View.h"
#include "app/qt/MessageBoxes.h"
#include "app/qt/SingleLineValidator.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QWidget>

// The main window "Quillmark SMART Test.": the controls, laid out at fixed places in a fixed
// size window, forward every event to TForm1 and show what it asks for. The report lines, the
// latest failure text and the disk range live in TForm1, so the window needs no hidden controls.
class Form1View : public QWidget, public WindowView {
public:
    Form1View(RunOperations operations, std::string uploadURL, MessageBoxFunction showBox = ShowMessageBox);
    ~Form1View() override;

    TForm1& Form() { return form_; }
    Form2View& Preview() { return Form2; }
    QString StatusLine() const { return sb1Text.text(); }

    // The show step runs before the window comes on screen, so the greeting is seen first.
    void setVisible(bool visible) override;

    std::string UserText() const override;
    std::string PhoneText() const override;
    void SetPhoneText(const std::string& text) override;
    std::string EmailText() const override;
    std::string ContactText() const override;
    int ContactIndex() const override;
    void SetScanEnabled(bool enabled) override;
    void SetStatusText(const std::string& text) override;
    void ShowWarning(const std::string& text) override;
    void ShowInformation(const std::string& text) override;
    void ShowPlain(const std::string& text) override;
    void ShowError(const std::string& text) override;
    void ShowPreview(const std::string& text) override;
    void Close() override;

    QLabel Image1;
    QLabel Label7;
    QLabel Label8;
    QLabel Label1;
    QLineEdit edUser;
    QLabel Label2;
    QLineEdit edPhone;
    QLabel Label3;
    QLineEdit edEmail;
    QLabel Label5;
    QComboBox edContact;
    QLabel Label4;
    QPushButton Button1;
    QPushButton Button2;
    QPushButton btnScan;
    QLabel Label6;
    QStatusBar sb1;
    QLabel sb1Text;
    Form2View Form2;

protected:
    // Watches the contact fields for the focus leaving them, and the window for keys before
    // the focused control gets them.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void LayOut();
    void Connect();
    void Handle(void (TForm1::*handler)());
    QWidget* BoxParent();

    MessageBoxFunction showBox_;
    TForm1 form_;
    SingleLineValidator singleLine_;
};
