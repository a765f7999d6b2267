#include "app/qt/SingleLineField.h"

#include <QRegularExpression>

QValidator::State SingleLineValidator::validate(QString& input, int& position) const
{
    static const QRegularExpression lineBreak(QStringLiteral("[\\r\\n]"));
    const qsizetype firstBreak = input.indexOf(lineBreak);
    if (firstBreak < 0)
        return Acceptable;
    const qsizetype insertionEnd = firstBreak < position ? position : input.size();
    input.remove(firstBreak, insertionEnd - firstBreak);
    position = static_cast<int>(firstBreak);
    return Acceptable;
}
