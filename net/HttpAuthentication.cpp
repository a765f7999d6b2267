#include "net/HttpAuthentication.h"

#include "base/StringList.h"
#include "base/Text.h"

#include <algorithm>

std::string Base64Encode(const std::string& bytes)
{
    static const char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t n = std::min<size_t>(3, bytes.size() - i);
        unsigned group = static_cast<unsigned char>(bytes[i]) << 16;
        if (n > 1)
            group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (n > 2)
            group |= static_cast<unsigned char>(bytes[i + 2]);
        text += Alphabet[(group >> 18) & 63];
        text += Alphabet[(group >> 12) & 63];
        text += n > 1 ? Alphabet[(group >> 6) & 63] : '=';
        text += n > 2 ? Alphabet[group & 63] : '=';
    }
    return text;
}

std::string TBasicAuthenticationScheme::HeaderValue() const
{
    return "Basic " + Base64Encode(Username + ":" + Password);
}

TSchemeFactory FindSupportedScheme(const TStringList& challenges)
{
    for (const std::string& challenge : challenges.Lines()) {
        const std::string text = Trim(challenge);
        const std::string scheme = text.substr(0, text.find(' '));
        if (SameText(scheme, "Basic"))
            return [] { return std::make_unique<TBasicAuthenticationScheme>(); };
    }
    return {};
}
