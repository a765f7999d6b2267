#pragma once

#include <QString>

#include <functional>

class QWidget;

// The four kinds of modal box with one "OK" button.
enum class BoxKind {
    Warning,     // caption "Warning", exclamation icon
    Information, // caption "Information", information icon
    Plain,       // the application title, no icon
    Error,       // the default error box: the application title, error icon
};

// How a window shows its boxes; tests put a recorder in its place.
using MessageBoxFunction = std::function<void(QWidget* parent, BoxKind kind, const QString& text)>;

// Shows the box modally and returns when the user closes it.
void ShowMessageBox(QWidget* parent, BoxKind kind, const QString& text);
