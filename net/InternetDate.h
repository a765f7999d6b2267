#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Reads the date forms servers put in "Expires" and "Date" values:
//   "Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT",
//   "Sun, 06-Nov-1994 08:49:37 GMT", "Sun Nov  6 08:49:37 1994", with "GMT", "UTC" or "+hhmm".
// Returns seconds since 1 January 1970 in Greenwich time, nothing when the text is no such date.
std::optional<std::int64_t> InternetDateToUnixTime(const std::string& text);

// "Sun, 06 Nov 1994 08:49:37 GMT" for a time in seconds since 1 January 1970.
std::string UnixTimeToInternetDate(std::int64_t unixTime);

// The current time in seconds since 1 January 1970, Greenwich time.
std::int64_t UnixTimeNow();
