#pragma once

#include "base/Exception.h"

// A text that does not convert to the number, truth value or date asked of it.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};
