#include "net/TlsRecords.h"

#include "net/TlsErrors.h"

#include <string>

namespace {

// change_cipher_spec, alert, handshake, application_data.
bool KnownContentType(unsigned char type)
{
    return type >= 20 && type <= 23;
}

} // namespace

std::size_t TlsRecords::FirstRecord(std::string_view bytes, std::string_view host)
{
    // A header is judged by each of its bytes as soon as they are there, so a server that
    // answers in plain text is told apart without waiting for more.
    if (!bytes.empty() && !KnownContentType(static_cast<unsigned char>(bytes[0])))
        throw ETlsError(TTlsFailure::NotTls, std::string(host));
    if (bytes.size() >= 2 && bytes[1] != 3)
        throw ETlsError(TTlsFailure::NotTls, std::string(host));
    if (bytes.size() < HeaderSize)
        return 0;
    const std::size_t length =
        static_cast<std::size_t>(static_cast<unsigned char>(bytes[3])) << 8 | static_cast<unsigned char>(bytes[4]);
    if (length > MaxBodySize)
        throw ETlsError(TTlsFailure::NotTls, std::string(host));
    return bytes.size() < HeaderSize + length ? 0 : HeaderSize + length;
}

std::size_t TlsRecords::CompleteRecords(std::string_view bytes, std::string_view host)
{
    std::size_t complete = 0;
    for (std::size_t record = FirstRecord(bytes, host); record != 0;
         record = FirstRecord(bytes.substr(complete), host))
        complete += record;
    return complete;
}
