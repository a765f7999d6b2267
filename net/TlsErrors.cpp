#include "net/TlsErrors.h"

namespace {

std::string FailureMessage(TTlsFailure failure, const std::string& host, const std::string& detail)
{
    const std::string certificate = "Certificate of " + host + " refused: ";
    const std::string handshake = "TLS handshake with " + host + " refused: ";
    switch (failure) {
    case TTlsFailure::Untrusted:
        return certificate + "untrusted (no authority this computer trusts has issued it)";
    case TTlsFailure::Expired: return certificate + "expired";
    case TTlsFailure::NotYetValid: return certificate + "not valid yet";
    case TTlsFailure::WrongHost: return certificate + "wrong host (it is not issued for " + host + ")";
    case TTlsFailure::CertificateRefused: return certificate + detail;
    case TTlsFailure::HandshakeRefused: return handshake + detail;
    case TTlsFailure::NotTls: return handshake + "the server does not answer in TLS";
    case TTlsFailure::HandshakeTimedOut: return handshake + "no answer in time";
    case TTlsFailure::ClosedInHandshake: return handshake + "the server closed the connection";
    case TTlsFailure::ClosedMidRecord: return "TLS connection to " + host + " closed in the middle of a record";
    case TTlsFailure::Broken: return "TLS connection to " + host + " broken: " + detail;
    }
    return handshake + detail;
}

} // namespace

ETlsError::ETlsError(TTlsFailure failure, const std::string& host, const std::string& detail)
    : ENetError(FailureMessage(failure, host, detail)), Failure(failure)
{
}
