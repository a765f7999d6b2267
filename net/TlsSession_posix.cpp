// The TLS session on OpenSSL 3. The library does all of the protocol: the transport's bytes go
// in and out through two memory BIOs, and nothing of the records is read here.

#include "net/TlsSession.h"

#include "net/SocketStack.h"
#include "net/TlsErrors.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <memory>
#include <string>

namespace {

struct TContextFree {
    void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};
struct TSslFree {
    void operator()(SSL* ssl) const { SSL_free(ssl); }
};

// The library's words for the oldest error on the thread's queue, and the queue emptied.
std::string LibraryReason()
{
    const unsigned long error = ERR_get_error();
    ERR_clear_error();
    const char* reason = ERR_reason_error_string(error);
    return reason != nullptr ? reason : "error " + std::to_string(error);
}

class TOpenSslSession : public TTlsSession {
public:
    explicit TOpenSslSession(const std::string& host) : host_(host)
    {
        ERR_clear_error();
        context_.reset(SSL_CTX_new(TLS_client_method()));
        if (!context_)
            Refuse();
        SSL_CTX_set_min_proto_version(context_.get(), TLS1_2_VERSION);
        // The system's trust store (SSL_CERT_FILE and SSL_CERT_DIR point elsewhere when set).
        if (SSL_CTX_set_default_verify_paths(context_.get()) != 1)
            Refuse();
        SSL_CTX_set_verify(context_.get(), SSL_VERIFY_PEER, nullptr);

        ssl_.reset(SSL_new(context_.get()));
        if (!ssl_)
            Refuse();
        if (TSocketStack::IsNumericAddress(host)) {
            if (X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl_.get()), host.c_str()) != 1)
                Refuse();
        } else {
            // The name is sent (SNI) and must be the certificate's.
            if (SSL_set_tlsext_host_name(ssl_.get(), host.c_str()) != 1 || SSL_set1_host(ssl_.get(), host.c_str()) != 1)
                Refuse();
            SSL_set_hostflags(ssl_.get(), X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        }
        // The BIOs belong to the session from here on.
        received_ = BIO_new(BIO_s_mem());
        toSend_ = BIO_new(BIO_s_mem());
        if (received_ == nullptr || toSend_ == nullptr) {
            BIO_free(received_);
            BIO_free(toSend_);
            Refuse();
        }
        SSL_set_bio(ssl_.get(), received_, toSend_);
        SSL_set_connect_state(ssl_.get());
    }

    bool Handshake(std::string& incoming, std::string& outgoing) override
    {
        Feed(incoming);
        const int result = SSL_do_handshake(ssl_.get());
        Drain(outgoing);
        if (result == 1)
            return true;
        const int error = SSL_get_error(ssl_.get(), result);
        if (error == SSL_ERROR_WANT_READ)
            return false;
        RaiseHandshakeFailure(error);
    }

    void Encrypt(const char* bytes, std::size_t count, std::string& outgoing) override
    {
        std::size_t written = 0;
        if (count != 0 && SSL_write_ex(ssl_.get(), bytes, count, &written) != 1)
            throw ETlsError(TTlsFailure::Broken, host_, LibraryReason());
        Drain(outgoing);
    }

    bool Decrypt(std::string& incoming, std::string& plain, std::string& outgoing) override
    {
        Feed(incoming);
        char block[16384];
        for (;;) {
            std::size_t read = 0;
            if (SSL_read_ex(ssl_.get(), block, sizeof block, &read) == 1) {
                plain.append(block, read);
                continue;
            }
            const int error = SSL_get_error(ssl_.get(), 0);
            Drain(outgoing);
            if (error == SSL_ERROR_WANT_READ)
                return true;
            if (error == SSL_ERROR_ZERO_RETURN)
                return false;
            throw ETlsError(TTlsFailure::Broken, host_, LibraryReason());
        }
    }

    bool InsideRecord(const std::string&) const override
    {
        return SSL_has_pending(ssl_.get()) == 1 || BIO_ctrl_pending(received_) > 0;
    }

private:
    void Feed(std::string& incoming)
    {
        if (!incoming.empty() && BIO_write(received_, incoming.data(), static_cast<int>(incoming.size())) <= 0)
            Refuse();
        incoming.clear();
    }

    void Drain(std::string& outgoing)
    {
        char block[16384];
        for (int got; (got = BIO_read(toSend_, block, sizeof block)) > 0;)
            outgoing.append(block, static_cast<std::size_t>(got));
    }

    [[noreturn]] void Refuse() { throw ETlsError(TTlsFailure::HandshakeRefused, host_, LibraryReason()); }

    [[noreturn]] void RaiseHandshakeFailure(int error)
    {
        const long verdict = SSL_get_verify_result(ssl_.get());
        if (verdict != X509_V_OK) {
            ERR_clear_error();
            switch (verdict) {
            case X509_V_ERR_CERT_HAS_EXPIRED: throw ETlsError(TTlsFailure::Expired, host_);
            case X509_V_ERR_CERT_NOT_YET_VALID: throw ETlsError(TTlsFailure::NotYetValid, host_);
            case X509_V_ERR_HOSTNAME_MISMATCH:
            case X509_V_ERR_IP_ADDRESS_MISMATCH: throw ETlsError(TTlsFailure::WrongHost, host_);
            case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
            case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
            case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
            case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
            case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
            case X509_V_ERR_CERT_UNTRUSTED: throw ETlsError(TTlsFailure::Untrusted, host_);
            default: throw ETlsError(TTlsFailure::CertificateRefused, host_, X509_verify_cert_error_string(verdict));
            }
        }
        if (error != SSL_ERROR_SSL)
            throw ETlsError(TTlsFailure::HandshakeRefused, host_, "error " + std::to_string(error) + " of the TLS library");
        switch (ERR_GET_REASON(ERR_peek_error())) {
        case SSL_R_WRONG_VERSION_NUMBER:
        case SSL_R_PACKET_LENGTH_TOO_LONG:
        case SSL_R_HTTP_REQUEST:
            ERR_clear_error();
            throw ETlsError(TTlsFailure::NotTls, host_);
        default: throw ETlsError(TTlsFailure::HandshakeRefused, host_, LibraryReason());
        }
    }

    std::string host_;
    std::unique_ptr<SSL_CTX, TContextFree> context_;
    std::unique_ptr<SSL, TSslFree> ssl_;
    BIO* received_ = nullptr;
    BIO* toSend_ = nullptr;
};

} // namespace

std::unique_ptr<TTlsSession> NewTlsSession(const std::string& host)
{
    return std::make_unique<TOpenSslSession>(host);
}
