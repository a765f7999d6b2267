#include "app/ContactChecks.h"

#include "base/Text.h"

#include <cstdint>

namespace {

bool IsHexNumber(const std::string& digits)
{
    if (digits.empty() || digits.size() > 8)
        return false;
    for (char c : digits)
        if (HexDigitValue(c) < 0)
            return false;
    return true;
}

bool IsDecimalInRange(const std::string& digits, bool negative)
{
    if (digits.empty())
        return false;
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
        if (value > limit)
            return false;
    }
    return true;
}

} // namespace

bool IsControlCharacter(char c)
{
    const auto code = static_cast<unsigned char>(c);
    return code < 0x20 || code == 0x7F || code == 0x81 || code == 0x8D || code == 0x8F || code == 0x90 ||
           code == 0x9D;
}

bool IsValidName(const std::string& name)
{
    if (name.size() <= 3)
        return false;
    for (char c : name)
        if (IsControlCharacter(c))
            return false;
    return true;
}

std::string RemoveBlanks(const std::string& text)
{
    std::string result;
    for (char c : text)
        if (c != ' ')
            result += c;
    return result;
}

bool IsValidPhone(const std::string& phone)
{
    std::string rest = phone;
    bool negative = false;
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
        negative = rest.front() == '-';
        rest.erase(0, 1);
    }
    if (!rest.empty() && (rest.front() == '$' || rest.front() == 'x' || rest.front() == 'X'))
        return IsHexNumber(rest.substr(1));
    if (rest.size() > 1 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X'))
        return IsHexNumber(rest.substr(2));
    return IsDecimalInRange(rest, negative);
}

bool IsEmailPartValid(const std::string& part)
{
    for (char c : part) {
        const bool allowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                             c == '-' || c == '.' || c == '_';
        if (!allowed)
            return false;
    }
    return true;
}

bool IsValidEmail(const std::string& email)
{
    const size_t at = email.find('@');
    if (at == std::string::npos)
        return false;
    const std::string local = email.substr(0, at);
    const std::string domain = email.substr(at + 1);
    if (local.empty() || domain.size() < 5)
        return false;
    const size_t dot = domain.find('.');
    if (dot == std::string::npos || dot + 1 > domain.size() - 2)
        return false;
    return IsEmailPartValid(local) && IsEmailPartValid(domain);
}

bool IsContactAllowed(int selectedIndex)
{
    return selectedIndex == 0;
}
