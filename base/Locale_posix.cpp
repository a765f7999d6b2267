#include "base/Locale.h"

#include <langinfo.h>
#include <locale.h>

char DecimalSeparator()
{
    // The user's LC_NUMERIC from the environment, without touching the process-wide locale.
    const locale_t user = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (user == static_cast<locale_t>(nullptr))
        return '.';
    const char* radix = ::nl_langinfo_l(RADIXCHAR, user);
    const char separator = radix && radix[0] && !radix[1] ? radix[0] : '.';
    ::freelocale(user);
    return separator;
}
