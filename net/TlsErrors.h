#pragma once

#include "net/NetError.h"

#include <string>

// Why a TLS session could not be made or carried on.
enum class TTlsFailure {
    Untrusted,          // no authority the system trusts vouches for the certificate
    Expired,
    NotYetValid,
    WrongHost,          // the certificate is for another name than the URL's host
    CertificateRefused, // any other fault of the certificate; the detail says which
    HandshakeRefused,   // the server ended or failed the handshake; the detail says how
    NotTls,             // the server answers, but not in TLS
    HandshakeTimedOut,
    ClosedInHandshake,
    ClosedMidRecord,
    Broken,             // a record of the session could not be read; the detail says why
};

// A TLS failure; the message names the host and the reason. Raised before a byte of the
// request is sent when the session cannot be made.
class ETlsError : public ENetError {
public:
    ETlsError(TTlsFailure failure, const std::string& host, const std::string& detail = {});
    TTlsFailure Failure;
};
