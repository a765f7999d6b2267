#include "base/DosDateTime.h"

#include <sys/time.h>
#include <time.h>

TDateTimeParts LocalNow()
{
    timeval now {};
    ::gettimeofday(&now, nullptr);
    tm local {};
    const time_t seconds = now.tv_sec;
    ::localtime_r(&seconds, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
            local.tm_min, local.tm_sec, static_cast<int>(now.tv_usec / 1000)};
}
