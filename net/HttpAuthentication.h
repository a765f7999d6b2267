#pragma once

#include <functional>
#include <memory>
#include <string>

class TStringList;

// The credentials of one authentication scheme and the header value they make.
class TAuthenticationScheme {
public:
    virtual ~TAuthenticationScheme() = default;

    // The value of an "Authorization" or "Proxy-Authorization" header line.
    virtual std::string HeaderValue() const = 0;
    // Forgets what an exchange taught the scheme, so a new attempt starts afresh.
    virtual void Reset() {}

    std::string Username;
    std::string Password;
};

// "Basic " and the Base64 of user name ":" password.
class TBasicAuthenticationScheme : public TAuthenticationScheme {
public:
    std::string HeaderValue() const override;
};

// Makes the authentication object of a scheme; empty when no scheme fits.
using TSchemeFactory = std::function<std::unique_ptr<TAuthenticationScheme>()>;

// The scheme offered in a list of "WWW-Authenticate" or "Proxy-Authenticate" values that this
// client can answer (Basic), or an empty factory.
class TStringList;
TSchemeFactory FindSupportedScheme(const TStringList& challenges);

// Standard Base64 with padding.
std::string Base64Encode(const std::string& bytes);
