#include "net/InternetDate.h"

#include "base/Format.h"
#include "base/Text.h"

#include <array>
#include <cctype>
#include <chrono>
#include <vector>

namespace {

const std::array<const char*, 12> MonthNames = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
const std::array<const char*, 7> DayNames = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};

// Days since 1 January 1970 of a date in the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

bool AllDigits(const std::string& s)
{
    if (s.empty())
        return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

int DaysInMonth(std::int64_t year, int month)
{
    static const std::array<int, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[static_cast<size_t>(month - 1)];
}

struct TDateFields {
    int Day = -1;
    int Month = -1;
    std::int64_t Year = -1;
    int Hour = -1, Minute = 0, Second = 0;
    int ZoneSeconds = 0;
};

bool ReadTime(const std::string& token, TDateFields& f)
{
    std::vector<std::string> parts(1);
    for (char c : token) {
        if (c == ':')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    if (parts.size() < 2 || parts.size() > 3)
        return false;
    for (const auto& p : parts)
        if (!AllDigits(p) || p.size() > 2)
            return false;
    f.Hour = std::stoi(parts[0]);
    f.Minute = std::stoi(parts[1]);
    f.Second = parts.size() == 3 ? std::stoi(parts[2]) : 0;
    return f.Hour < 24 && f.Minute < 60 && f.Second < 61;
}

bool ReadZone(const std::string& token, TDateFields& f)
{
    const std::string upper = UpperCase(token);
    if (upper == "GMT" || upper == "UTC" || upper == "UT" || upper == "Z")
        return true;
    if (token.size() == 5 && (token[0] == '+' || token[0] == '-') && AllDigits(token.substr(1))) {
        const int minutes = std::stoi(token.substr(1, 2)) * 60 + std::stoi(token.substr(3, 2));
        f.ZoneSeconds = (token[0] == '+' ? 1 : -1) * minutes * 60;
        return true;
    }
    return false;
}

// One word of the date: a day, month, year or a weekday (ignored).
bool ReadWord(const std::string& word, TDateFields& f)
{
    if (word.empty())
        return true;
    if (AllDigits(word)) {
        if (word.size() > 4)
            return false;
        const int n = std::stoi(word);
        if (f.Day < 0 && word.size() <= 2)
            f.Day = n;
        else if (f.Year < 0)
            f.Year = word.size() <= 2 ? (n < 70 ? 2000 + n : 1900 + n) : n;
        else
            return false;
        return true;
    }
    const std::string upper = UpperCase(word);
    for (size_t m = 0; m < MonthNames.size(); ++m)
        if (upper.rfind(MonthNames[m], 0) == 0) {
            f.Month = static_cast<int>(m) + 1;
            return true;
        }
    // Weekday names carry no information the date lacks.
    for (char c : word)
        if (!std::isalpha(static_cast<unsigned char>(c)))
            return false;
    return true;
}

} // namespace

std::optional<std::int64_t> InternetDateToUnixTime(const std::string& text)
{
    TDateFields f;
    std::string token;
    const std::string input = text + " ";
    for (char c : input) {
        if (c != ' ' && c != ',' && c != '\t') {
            token += c;
            continue;
        }
        if (token.empty())
            continue;
        if (token.find(':') != std::string::npos) {
            if (!ReadTime(token, f))
                return std::nullopt;
        } else if (!ReadZone(token, f)) {
            // "06-Nov-1994" holds three words.
            std::string word;
            for (char d : token + "-") {
                if (d != '-') {
                    word += d;
                    continue;
                }
                if (!ReadWord(word, f))
                    return std::nullopt;
                word.clear();
            }
        }
        token.clear();
    }
    if (f.Day < 1 || f.Month < 1 || f.Year < 1601 || f.Hour < 0 || f.Day > DaysInMonth(f.Year, f.Month))
        return std::nullopt;
    return DaysFromCivil(f.Year, f.Month, f.Day) * 86400 + f.Hour * 3600 + f.Minute * 60 + f.Second - f.ZoneSeconds;
}

std::string UnixTimeToInternetDate(std::int64_t unixTime)
{
    std::int64_t days = unixTime / 86400;
    std::int64_t seconds = unixTime % 86400;
    if (seconds < 0) {
        seconds += 86400;
        --days;
    }
    const int weekday = static_cast<int>(((days % 7) + 7) % 7);
    // The civil date of a day count, the inverse of DaysFromCivil.
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    std::string monthName = LowerCase(MonthNames[static_cast<size_t>(month - 1)]);
    monthName[0] = MonthNames[static_cast<size_t>(month - 1)][0];
    return Format("%s, %02d %s %04lld %02d:%02d:%02d GMT", DayNames[static_cast<size_t>(weekday)], day,
                  monthName.c_str(), static_cast<long long>(year), static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
}

std::int64_t UnixTimeNow()
{
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}
