// wine-trust-authority add|remove FILE.pem: puts a test certificate authority into the root
// store of the Wine prefix it runs in, or takes it out again, so that an upload over TLS under
// Wine can be verified against it without touching the host's trust store.

#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 3 || (std::string(argv[1]) != "add" && std::string(argv[1]) != "remove")) {
        std::fprintf(stderr, "usage: wine-trust-authority add|remove FILE.pem\n");
        return 2;
    }
    const bool add = std::string(argv[1]) == "add";
    std::ifstream file(argv[2], std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    const std::string pem = text.str();

    DWORD size = 0;
    if (!CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr)) {
        std::fprintf(stderr, "%s holds no certificate\n", argv[2]);
        return 1;
    }
    std::vector<BYTE> der(size);
    CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr, nullptr);

    HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root");
    if (root == nullptr) {
        std::fprintf(stderr, "the root store cannot be opened (%lu)\n", GetLastError());
        return 1;
    }
    bool done;
    if (add) {
        done = CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der.data(), size, CERT_STORE_ADD_REPLACE_EXISTING,
                                                nullptr);
    } else {
        PCCERT_CONTEXT wanted = CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), size);
        PCCERT_CONTEXT found = wanted == nullptr ? nullptr
                                                 : CertFindCertificateInStore(root, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING,
                                                                              wanted, nullptr);
        done = found == nullptr || CertDeleteCertificateFromStore(found);
        if (wanted != nullptr)
            CertFreeCertificateContext(wanted);
    }
    const DWORD error = GetLastError();
    CertCloseStore(root, 0);
    if (!done) {
        std::fprintf(stderr, "the root store refused the certificate (%lu)\n", error);
        return 1;
    }
    return 0;
}
