#pragma once

#include <QString>

#include <string>

// The window logic speaks CP1252; Qt speaks Unicode. Characters CP1252 lacks become "?".
QString FromCp1252(const std::string& text);
std::string ToCp1252(const QString& text);
// A CP1252 text as a message box or text view shows it: its CR LF line breaks become Qt's LF.
QString ShownText(const std::string& text);
