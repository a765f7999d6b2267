#pragma once

#include <functional>
#include <memory>
#include <string>

class TStringList;

// The credentials of one authentication scheme and the header value they make.
class TIdAuthentication {
public:
    virtual ~TIdAuthentication() = default;

    // The value of an "Authorization" or "Proxy-Authorization" header line.
    virtual std::string Authentication() const = 0;
    // Forgets what an exchange taught the scheme, so a new attempt starts afresh.
    virtual void Reset() {}

    std::string Username;
    std::string Password;
};

// "Basic " and the Base64 of user name ":" password.
class TIdBasicAuthentication : public TIdAuthentication {
public:
    std::string Authentication() const override;
};

// Makes the authentication object of a scheme; empty when no scheme fits.
using TIdAuthenticationClass = std::function<std::unique_ptr<TIdAuthentication>()>;

// The scheme offered in a list of "WWW-Authenticate" or "Proxy-Authenticate" values that this
// client can answer (Basic), or an empty class.
class TStringList;
TIdAuthenticationClass FindAuthClass(const TStringList& challenges);

// Standard Base64 with padding.
std::string Base64Encode(const std::string& bytes);
