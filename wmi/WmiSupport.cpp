#include "wmi/WmiSupport.h"

#include "base/ConvertError.h"
#include "base/Format.h"
#include "base/Locale.h"
#include "base/StringList.h"
#include "base/SystemError.h"
#include "base/Text.h"
#include "wmi/WbemServices.h"
#include "wmi/WmiComponent.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace {

// Integer property texts that are no number at all read as this, so that they stand out
// against the real values 0 and -1.
constexpr std::int64_t NotANumber = 666;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::optional<std::int64_t> WholeNumber(const std::string& text)
{
    const size_t start = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    if (start == text.size())
        return std::nullopt;
    for (size_t i = start; i < text.size(); ++i)
        if (!IsDigit(text[i]))
            return std::nullopt;
    std::int64_t value = 0;
    const char* first = text.data() + (text[0] == '+' ? 1 : 0);
    const auto [end, error] = std::from_chars(first, text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// A decimal number in the user's format: sign, digits, the user's decimal separator and
// digits, an exponent. Read without the process locale, which a window toolkit may have set.
std::optional<double> FloatNumber(const std::string& text)
{
    const char separator = DecimalSeparator();
    std::string plain;
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-')
            plain += '-';
        ++i;
    }
    size_t digits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i, ++digits)
        plain += text[i];
    if (i < text.size() && text[i] == separator) {
        plain += '.';
        for (++i; i < text.size() && IsDigit(text[i]); ++i, ++digits)
            plain += text[i];
    }
    if (digits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            plain += text[i++];
        size_t exponentDigits = 0;
        for (; i < text.size() && IsDigit(text[i]); ++i, ++exponentDigits)
            plain += text[i];
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

void ExecuteQueryToList(WbemServices& services, const std::string& queryText, TStringList& list)
{
    services.ExecQuery(queryText, "WQL", [&list](std::string objectText) { list.Add(std::move(objectText)); });
}

void GetPropertyValue(const TWmiComponent& component, const std::string& name, std::string& value, bool& isNull)
{
    const int index = component.ObjectIndex();
    if (index <= 0)
        return;
    const TStringList& instances = component.GetAllProperties();
    if (instances.Count() == 0) {
        value.clear();
        isNull = true;
        return;
    }
    // Possible after a query that failed half-way left fewer instances than ObjectsCount.
    if (index > instances.Count())
        throw Exception(Format("List index out of bounds (%d)", index - 1));
    value = ExtractPropertyText(name, instances[index - 1]);
    isNull = value.empty();
}

std::string ExtractPropertyText(const std::string& name, const std::string& instanceText)
{
    const std::string pattern = name + " = ";
    size_t lineStart = 0;
    while (lineStart <= instanceText.size()) {
        const size_t lineEnd = std::min(instanceText.find_first_of("\r\n", lineStart), instanceText.size());
        const std::string line = Trim(instanceText.substr(lineStart, lineEnd - lineStart));
        if (const size_t at = line.find(pattern); at != std::string::npos) {
            std::string value = Trim(line.substr(at + pattern.size()));
            if (!value.empty() && value.front() == '"')
                value.erase(0, 1);
            value = ReplaceAll(value, "\";", "");
            if (value.size() > 1 && value.back() == ';')
                value.pop_back();
            return value;
        }
        lineStart = lineEnd + 1;
    }
    return {};
}

std::int64_t PropertyAsInt64(const std::string& value, bool isNull)
{
    if (isNull)
        return 0;
    if (const auto whole = WholeNumber(value))
        return *whole;
    if (const auto number = FloatNumber(value)) {
        // The default rounding mode rounds halves to the even neighbour.
        const double rounded = std::nearbyint(*number);
        if (rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0)
            return static_cast<std::int64_t>(rounded);
        return NotANumber;
    }
    if (SameText(value, "TRUE"))
        return 1;
    if (SameText(value, "FALSE"))
        return 0;
    return NotANumber;
}

bool PropertyAsBoolean(const std::string& value, bool isNull)
{
    if (isNull)
        return false;
    if (const auto number = FloatNumber(value))
        return *number != 0;
    if (SameText(value, "TRUE"))
        return true;
    if (SameText(value, "FALSE"))
        return false;
    throw EConvertError(Format("'%s' is not a valid boolean value", value.c_str()));
}

std::string PropertyAsText(const std::string& value, bool isNull)
{
    return isNull ? std::string() : value;
}

std::string LastSystemErrorText()
{
    return SysErrorMessage(GetLastOSError());
}
