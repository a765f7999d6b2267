#include "app/qt/QtText.h"

#include "base/Text.h"

QString FromCp1252(const std::string& text)
{
    return QString::fromStdString(Cp1252ToUtf8(text));
}

std::string ToCp1252(const QString& text)
{
    return Utf8ToCp1252(text.toStdString());
}

QString ShownText(const std::string& text)
{
    return FromCp1252(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}
