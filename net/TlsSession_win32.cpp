// The TLS session on Schannel. secur32.dll and crypt32.dll are loaded from the system folder at
// the first https connection, so the program needs no library beyond those every Windows has.
// Schannel is handed whole records, which TlsRecords finds in the received bytes; the
// server's certificate is verified here with the system's chain engine, after the handshake and
// before a byte of the exchange.

#include "net/TlsSession.h"

#include "base/Format.h"
#include "base/SystemError.h"
#include "base/SystemLibrary.h"
#include "net/TlsErrors.h"
#include "net/TlsRecords.h"

#define SECURITY_WIN32
// The newer credentials, which can ask for TLS 1.3.
#define SCHANNEL_USE_BLACKLISTS
#include <windows.h>
#include <subauth.h>
#include <wincrypt.h>
#include <schannel.h>
#include <security.h>
#include <sspi.h>

#include <cstring>
#include <mutex>
#include <optional>
#include <string>

namespace {

// The entry points of the two libraries, loaded once per process.
class TSecurityLibraries {
public:
    // Raises ETlsError for host when a library or one of its entries is missing.
    void Load(const std::string& host)
    {
        const std::lock_guard<std::mutex> guard(lock_);
        if (Sspi != nullptr)
            return;
        const TSystemLibrary& secur32 = Open(secur32_, "secur32.dll", host);
        const TSystemLibrary& crypt32 = Open(crypt32_, "crypt32.dll", host);
        const auto initialize = secur32.Entry<PSecurityFunctionTableA(WINAPI*)()>("InitSecurityInterfaceA");
        GetChain = crypt32.Entry<decltype(&::CertGetCertificateChain)>("CertGetCertificateChain");
        VerifyChainPolicy = crypt32.Entry<decltype(&::CertVerifyCertificateChainPolicy)>("CertVerifyCertificateChainPolicy");
        FreeChain = crypt32.Entry<decltype(&::CertFreeCertificateChain)>("CertFreeCertificateChain");
        FreeCertificate = crypt32.Entry<decltype(&::CertFreeCertificateContext)>("CertFreeCertificateContext");
        VerifyTime = crypt32.Entry<decltype(&::CertVerifyTimeValidity)>("CertVerifyTimeValidity");
        PSecurityFunctionTableA table = initialize != nullptr ? initialize() : nullptr;
        if (table == nullptr || !GetChain || !VerifyChainPolicy || !FreeChain || !FreeCertificate || !VerifyTime)
            throw ETlsError(TTlsFailure::HandshakeRefused, host, "the system's TLS libraries lack an entry point");
        Sspi = table;
    }

    PSecurityFunctionTableA Sspi = nullptr;
    decltype(&::CertGetCertificateChain) GetChain = nullptr;
    decltype(&::CertVerifyCertificateChainPolicy) VerifyChainPolicy = nullptr;
    decltype(&::CertFreeCertificateChain) FreeChain = nullptr;
    decltype(&::CertFreeCertificateContext) FreeCertificate = nullptr;
    decltype(&::CertVerifyTimeValidity) VerifyTime = nullptr;

private:
    static const TSystemLibrary& Open(std::optional<TSystemLibrary>& library, const char* name, const std::string& host)
    {
        library.emplace(name);
        if (!library->Loaded())
            throw ETlsError(TTlsFailure::HandshakeRefused, host,
                            Format("%s cannot be loaded (%s)", name, SysErrorMessage(GetLastError()).c_str()));
        return *library;
    }

    std::mutex lock_;
    std::optional<TSystemLibrary> secur32_;
    std::optional<TSystemLibrary> crypt32_;
};

TSecurityLibraries& Libraries()
{
    static TSecurityLibraries libraries;
    return libraries;
}

// A buffer the security package allocated.
class TPackageBuffer {
public:
    explicit TPackageBuffer(void* buffer) : buffer_(buffer) {}
    ~TPackageBuffer()
    {
        if (buffer_ != nullptr)
            Libraries().Sspi->FreeContextBuffer(buffer_);
    }
    TPackageBuffer(const TPackageBuffer&) = delete;
    TPackageBuffer& operator=(const TPackageBuffer&) = delete;

private:
    void* buffer_;
};

class TCertificate {
public:
    explicit TCertificate(PCCERT_CONTEXT certificate) : certificate_(certificate) {}
    ~TCertificate() { Libraries().FreeCertificate(certificate_); }
    TCertificate(const TCertificate&) = delete;
    TCertificate& operator=(const TCertificate&) = delete;
    PCCERT_CONTEXT Get() const { return certificate_; }

private:
    PCCERT_CONTEXT certificate_;
};

class TChain {
public:
    explicit TChain(PCCERT_CHAIN_CONTEXT chain) : chain_(chain) {}
    ~TChain() { Libraries().FreeChain(chain_); }
    TChain(const TChain&) = delete;
    TChain& operator=(const TChain&) = delete;
    PCCERT_CHAIN_CONTEXT Get() const { return chain_; }

private:
    PCCERT_CHAIN_CONTEXT chain_;
};

// The status text of a failed security call: its number and the system's words for it.
std::string StatusText(SECURITY_STATUS status)
{
    const std::string words = SysErrorMessage(static_cast<unsigned>(status));
    const std::string number = Format("security status 0x%08X", static_cast<unsigned>(status));
    return words.empty() ? number : words + " (" + number + ")";
}

constexpr DWORD RequestedAttributes = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                                      ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM | ISC_REQ_USE_SUPPLIED_CREDS;

class TSchannelSession : public TTlsSession {
public:
    explicit TSchannelSession(const std::string& host) : host_(host), sspi_(nullptr)
    {
        Libraries().Load(host);
        sspi_ = Libraries().Sspi;
        AcquireCredentials();
    }

    ~TSchannelSession() override
    {
        if (haveContext_)
            sspi_->DeleteSecurityContext(&context_);
        sspi_->FreeCredentialsHandle(&credentials_);
    }

    bool Handshake(std::string& incoming, std::string& outgoing) override
    {
        if (!haveContext_) {
            Step(nullptr, outgoing);
            return false;
        }
        for (;;) {
            const std::size_t complete = TlsRecords::CompleteRecords(incoming, host_);
            if (complete == 0)
                return false;
            SecBuffer input[2] = {{static_cast<unsigned long>(complete), SECBUFFER_TOKEN, incoming.data()},
                                  {0, SECBUFFER_EMPTY, nullptr}};
            SecBufferDesc inputs{SECBUFFER_VERSION, 2, input};
            const std::size_t before = outgoing.size();
            const SECURITY_STATUS status = Step(&inputs, outgoing);
            if (status == SEC_E_INCOMPLETE_MESSAGE)
                return false;
            const std::size_t unused = input[1].BufferType == SECBUFFER_EXTRA ? input[1].cbBuffer : 0;
            incoming.erase(0, complete - unused);
            if (status == SEC_E_OK) {
                RequireVersion();
                VerifyServer();
                if (sspi_->QueryContextAttributesA(&context_, SECPKG_ATTR_STREAM_SIZES, &sizes_) != SEC_E_OK)
                    throw ETlsError(TTlsFailure::HandshakeRefused, host_, "the session's record sizes are unknown");
                return true;
            }
            // The server's flight may need more records than have come.
            if (unused == complete && outgoing.size() == before && status != SEC_I_INCOMPLETE_CREDENTIALS)
                return false;
        }
    }

    void Encrypt(const char* bytes, std::size_t count, std::string& outgoing) override
    {
        while (count > 0) {
            const std::size_t piece = std::min<std::size_t>(count, sizes_.cbMaximumMessage);
            std::string record(sizes_.cbHeader + piece + sizes_.cbTrailer, '\0');
            std::memcpy(record.data() + sizes_.cbHeader, bytes, piece);
            SecBuffer buffers[4] = {
                {sizes_.cbHeader, SECBUFFER_STREAM_HEADER, record.data()},
                {static_cast<unsigned long>(piece), SECBUFFER_DATA, record.data() + sizes_.cbHeader},
                {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, record.data() + sizes_.cbHeader + piece},
                {0, SECBUFFER_EMPTY, nullptr},
            };
            SecBufferDesc description{SECBUFFER_VERSION, 4, buffers};
            const SECURITY_STATUS status = sspi_->EncryptMessage(&context_, 0, &description, 0);
            if (status != SEC_E_OK)
                throw ETlsError(TTlsFailure::Broken, host_, StatusText(status));
            outgoing.append(record.data(), buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer);
            bytes += piece;
            count -= piece;
        }
    }

    bool Decrypt(std::string& incoming, std::string& plain, std::string& outgoing) override
    {
        // One record at a time: Schannel decrypts in place and leaves nothing over.
        for (std::size_t size = TlsRecords::FirstRecord(incoming, host_); size != 0;
             size = TlsRecords::FirstRecord(incoming, host_)) {
            std::string record = incoming.substr(0, size);
            incoming.erase(0, size);
            const std::size_t before = plain.size();
            SecBuffer buffers[4] = {{static_cast<unsigned long>(size), SECBUFFER_DATA, record.data()},
                                    {0, SECBUFFER_EMPTY, nullptr},
                                    {0, SECBUFFER_EMPTY, nullptr},
                                    {0, SECBUFFER_EMPTY, nullptr}};
            SecBufferDesc description{SECBUFFER_VERSION, 4, buffers};
            const SECURITY_STATUS status = sspi_->DecryptMessage(&context_, &description, 0, nullptr);
            // Some Schannels hand a close_notify over as an empty record: an alert without
            // content ends the session all the same.
            const bool alert = static_cast<unsigned char>(record[0]) == TlsRecords::AlertType;
            if (status == SEC_I_CONTEXT_EXPIRED)
                return false;
            if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE)
                throw ETlsError(TTlsFailure::Broken, host_, StatusText(status));
            std::string extra;
            for (const SecBuffer& buffer : buffers) {
                if (buffer.BufferType == SECBUFFER_DATA)
                    plain.append(static_cast<const char*>(buffer.pvBuffer), buffer.cbBuffer);
                else if (buffer.BufferType == SECBUFFER_EXTRA)
                    extra.assign(static_cast<const char*>(buffer.pvBuffer), buffer.cbBuffer);
            }
            if (status == SEC_I_RENEGOTIATE)
                TakePostHandshakeMessage(extra, outgoing);
            else
                incoming.insert(0, extra);
            if (alert && plain.size() == before)
                return false;
        }
        return true;
    }

    bool InsideRecord(const std::string& incoming) const override { return !incoming.empty(); }

private:
    void AcquireCredentials()
    {
        // TLS 1.2 and 1.3 where the system has the newer credentials; TLS 1.2 alone where it
        // only knows the older ones.
        TLS_PARAMETERS parameters{};
        parameters.grbitDisabledProtocols =
            SP_PROT_SSL2_CLIENT | SP_PROT_SSL3_CLIENT | SP_PROT_TLS1_0_CLIENT | SP_PROT_TLS1_1_CLIENT;
        SCH_CREDENTIALS current{};
        current.dwVersion = SCH_CREDENTIALS_VERSION;
        current.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS | SCH_USE_STRONG_CRYPTO;
        current.cTlsParameters = 1;
        current.pTlsParameters = &parameters;
        SECURITY_STATUS status = Acquire(&current);
        if (status != SEC_E_OK) {
            SCHANNEL_CRED older{};
            older.dwVersion = SCHANNEL_CRED_VERSION;
            older.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
            older.dwFlags = current.dwFlags;
            status = Acquire(&older);
        }
        if (status != SEC_E_OK)
            throw ETlsError(TTlsFailure::HandshakeRefused, host_, "no TLS credentials: " + StatusText(status));
    }

    SECURITY_STATUS Acquire(void* credentials)
    {
        TimeStamp expiry;
        return sspi_->AcquireCredentialsHandleA(nullptr, const_cast<char*>(UNISP_NAME_A), SECPKG_CRED_OUTBOUND,
                                                nullptr, credentials, nullptr, nullptr, &credentials_, &expiry);
    }

    // One call of the handshake; its token goes to outgoing. Raises on a failure.
    SECURITY_STATUS Step(SecBufferDesc* inputs, std::string& outgoing)
    {
        SecBuffer output{0, SECBUFFER_TOKEN, nullptr};
        SecBufferDesc outputs{SECBUFFER_VERSION, 1, &output};
        unsigned long attributes = 0;
        TimeStamp expiry;
        const SECURITY_STATUS status = sspi_->InitializeSecurityContextA(
            &credentials_, haveContext_ ? &context_ : nullptr, const_cast<char*>(host_.c_str()), RequestedAttributes, 0,
            0, inputs, 0, haveContext_ ? nullptr : &context_, &outputs, &attributes, &expiry);
        const TPackageBuffer token(output.pvBuffer);
        if (status != SEC_E_OK && status != SEC_I_CONTINUE_NEEDED && status != SEC_E_INCOMPLETE_MESSAGE &&
            status != SEC_I_INCOMPLETE_CREDENTIALS)
            RaiseHandshakeFailure(status);
        haveContext_ = true;
        if (output.pvBuffer != nullptr)
            outgoing.append(static_cast<const char*>(output.pvBuffer), output.cbBuffer);
        return status;
    }

    // A handshake message after the handshake (a session ticket, a key update); a renegotiation
    // the server asks for is refused.
    void TakePostHandshakeMessage(std::string& message, std::string& outgoing)
    {
        SecBuffer input[2] = {{static_cast<unsigned long>(message.size()), SECBUFFER_TOKEN, message.data()},
                              {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc inputs{SECBUFFER_VERSION, 2, input};
        if (Step(&inputs, outgoing) != SEC_E_OK)
            throw ETlsError(TTlsFailure::Broken, host_, "the server asked to renegotiate the session");
    }

    [[noreturn]] void RaiseHandshakeFailure(SECURITY_STATUS status)
    {
        switch (status) {
        case SEC_E_UNTRUSTED_ROOT: throw ETlsError(TTlsFailure::Untrusted, host_);
        case SEC_E_CERT_EXPIRED: throw ETlsError(TTlsFailure::Expired, host_);
        case SEC_E_WRONG_PRINCIPAL: throw ETlsError(TTlsFailure::WrongHost, host_);
        case SEC_E_ALGORITHM_MISMATCH:
            throw ETlsError(TTlsFailure::HandshakeRefused, host_, "no TLS version (1.2 or newer) or cipher in common");
        default: throw ETlsError(TTlsFailure::HandshakeRefused, host_, StatusText(status));
        }
    }

    // A system that knows no way to leave the older versions out of its offer may have
    // settled on one of them.
    void RequireVersion()
    {
        SecPkgContext_ConnectionInfo connection{};
        if (sspi_->QueryContextAttributesA(&context_, SECPKG_ATTR_CONNECTION_INFO, &connection) != SEC_E_OK)
            throw ETlsError(TTlsFailure::HandshakeRefused, host_, "the session's TLS version is unknown");
        if ((connection.dwProtocol & (SP_PROT_TLS1_2 | SP_PROT_TLS1_3)) == 0)
            throw ETlsError(TTlsFailure::HandshakeRefused, host_, "the server offers no TLS version from 1.2 on");
    }

    // The server's certificate chain against the system's trust store, its name against host.
    void VerifyServer()
    {
        TSecurityLibraries& crypt = Libraries();
        PCCERT_CONTEXT received = nullptr;
        if (sspi_->QueryContextAttributesA(&context_, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &received) != SEC_E_OK ||
            received == nullptr)
            throw ETlsError(TTlsFailure::CertificateRefused, host_, "the server sent no certificate");
        const TCertificate certificate(received);

        char serverAuthentication[] = szOID_PKIX_KP_SERVER_AUTH;
        LPSTR usages[] = {serverAuthentication};
        CERT_CHAIN_PARA chainParameters{};
        chainParameters.cbSize = sizeof chainParameters;
        chainParameters.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
        chainParameters.RequestedUsage.Usage.cUsageIdentifier = 1;
        chainParameters.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
        PCCERT_CHAIN_CONTEXT built = nullptr;
        if (!crypt.GetChain(nullptr, received, nullptr, received->hCertStore, &chainParameters, 0, nullptr, &built))
            throw ETlsError(TTlsFailure::CertificateRefused, host_, SysErrorMessage(GetLastError()));
        const TChain chain(built);
        // The chain's own verdict first: not every policy check counts a chain that ends short
        // of a trusted root as a failure.
        const DWORD trust = chain.Get()->TrustStatus.dwErrorStatus;
        if (trust & (CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN | CERT_TRUST_IS_CYCLIC))
            throw ETlsError(TTlsFailure::Untrusted, host_);
        if (trust & CERT_TRUST_IS_NOT_TIME_VALID)
            throw ETlsError(crypt.VerifyTime(nullptr, received->pCertInfo) < 0 ? TTlsFailure::NotYetValid
                                                                              : TTlsFailure::Expired,
                            host_);

        std::wstring serverName(host_.begin(), host_.end());
        SSL_EXTRA_CERT_CHAIN_POLICY_PARA server{};
        server.cbSize = sizeof server;
        server.dwAuthType = AUTHTYPE_SERVER;
        server.pwszServerName = serverName.data();
        CERT_CHAIN_POLICY_PARA policy{};
        policy.cbSize = sizeof policy;
        policy.pvExtraPolicyPara = &server;
        CERT_CHAIN_POLICY_STATUS verdict{};
        verdict.cbSize = sizeof verdict;
        if (!crypt.VerifyChainPolicy(CERT_CHAIN_POLICY_SSL, chain.Get(), &policy, &verdict))
            throw ETlsError(TTlsFailure::CertificateRefused, host_, SysErrorMessage(GetLastError()));
        switch (static_cast<HRESULT>(verdict.dwError)) {
        case S_OK: return;
        case CERT_E_UNTRUSTEDROOT:
        case CERT_E_UNTRUSTEDCA:
        case CERT_E_CHAINING: throw ETlsError(TTlsFailure::Untrusted, host_);
        case CERT_E_EXPIRED:
            throw ETlsError(crypt.VerifyTime(nullptr, received->pCertInfo) < 0 ? TTlsFailure::NotYetValid
                                                                              : TTlsFailure::Expired,
                            host_);
        case CERT_E_CN_NO_MATCH: throw ETlsError(TTlsFailure::WrongHost, host_);
        default: throw ETlsError(TTlsFailure::CertificateRefused, host_, StatusText(static_cast<SECURITY_STATUS>(verdict.dwError)));
        }
    }

    std::string host_;
    PSecurityFunctionTableA sspi_;
    CredHandle credentials_{};
    CtxtHandle context_{};
    bool haveContext_ = false;
    SecPkgContext_StreamSizes sizes_{};
};

} // namespace

std::unique_ptr<TTlsSession> NewTlsSession(const std::string& host)
{
    return std::make_unique<TSchannelSession>(host);
}
