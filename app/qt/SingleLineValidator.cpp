#include "app/qt/SingleLineValidator.h"

#include <QRegularExpression>

QValidator::State SingleLineValidator::validate(QString& input, int& position) const
{
    static const QRegularExpression lineBreak(QStringLiteral("[\\r\\n]"));
    const qsizetype firstBreak = input.indexOf(lineBreak);
    if (firstBreak < 0)
        return Acceptable;
    if (firstBreak < position) {
        input.remove(firstBreak, position - firstBreak);
        position = static_cast<int>(firstBreak);
    } else {
        input.truncate(firstBreak);
    }
    return Acceptable;
}
