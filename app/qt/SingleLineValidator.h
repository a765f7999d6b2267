#pragma once

#include <QValidator>

// Keeps a one-line field on one line, as Windows' single-line edit does: of text that arrives
// with a line break (pasted, dropped or set), only the part before its first CR or LF is taken;
// the field's text on either side of the insertion stays. Every change passes here with the
// cursor just after the inserted text, and the field never holds a line break, so a break can
// only come from the text just inserted.
class SingleLineValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};
