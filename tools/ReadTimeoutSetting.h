#pragma once

#include "net/HttpClient.h"

#include <charconv>
#include <cstdlib>
#include <optional>
#include <string>

// The upload's read limit of a command-line run: the environment variable QM_UPLOAD_READ_TIMEOUT
// in milliseconds (a whole number from 1 to 3,600,000) when it is set, else the window's 60 s.
// A test, or a technician on a line known to be slow or dead, sets it; the window has no such
// setting. Empty when the value is no such number, so the tool can refuse it rather than wait
// a time nobody asked for.
inline std::optional<int> UploadReadTimeoutSetting()
{
    const char* const value = std::getenv("QM_UPLOAD_READ_TIMEOUT");
    if (value == nullptr)
        return UploadReadTimeout;
    const std::string text = value;
    int milliseconds = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), milliseconds);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || milliseconds < 1 ||
        milliseconds > 3600000)
        return std::nullopt;
    return milliseconds;
}

inline constexpr const char* UploadReadTimeoutRefused =
    "QM_UPLOAD_READ_TIMEOUT must be a whole number of milliseconds from 1 to 3600000.";
