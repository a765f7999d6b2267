#pragma once

#include <cstdint>

// A local date and time to the millisecond, as the system clock gives it.
struct TDateTimeParts {
    int Year = 0;
    int Month = 0;
    int Day = 0;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Millisecond = 0;
};

// The MS-DOS file date and time: year-1980, month, day, hour, minute, second/2 packed in 32 bits.
// Years before 1980 or after 2107 give 0; from 2044 on the value is negative.
std::int32_t DateTimeToFileDate(const TDateTimeParts& when);

// The current local date and time.
TDateTimeParts LocalNow();
