// The TLS record framing that the Windows transport relies on before it hands records to
// Schannel, over any bytes a server sends, received in pieces of any size.
//
// Input: one byte of piece size (0: all at once), then the bytes of the stream. Taking records
// off as the pieces come must find exactly the records, and the same refusal, as the whole
// stream does at once; every record found is its header and the length the header gives.

#include "net/TlsErrors.h"
#include "net/TlsRecords.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

struct TFraming {
    std::size_t Taken = 0;
    bool Refused = false;
};

// Takes the records off the stream as it arrives in pieces, as the receive loop does.
TFraming InPieces(std::string_view stream, std::size_t piece)
{
    TFraming framing;
    std::string buffer;
    for (std::size_t at = 0; at < stream.size(); at += piece) {
        buffer.append(stream.substr(at, piece));
        try {
            for (std::size_t record = TlsRecords::FirstRecord(buffer, "fuzz"); record != 0;
                 record = TlsRecords::FirstRecord(buffer, "fuzz")) {
                const std::size_t length = static_cast<unsigned char>(buffer[3]) << 8 | static_cast<unsigned char>(buffer[4]);
                if (record != TlsRecords::HeaderSize + length || length > TlsRecords::MaxBodySize)
                    std::abort();
                buffer.erase(0, record);
                framing.Taken += record;
            }
        } catch (const ETlsError& e) {
            if (e.Failure != TTlsFailure::NotTls)
                std::abort();
            framing.Refused = true;
            return framing;
        }
    }
    return framing;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t piece = data[0] == 0 ? size : data[0];
    const std::string_view stream(reinterpret_cast<const char*>(data + 1), size - 1);

    TFraming whole;
    try {
        whole.Taken = TlsRecords::CompleteRecords(stream, "fuzz");
    } catch (const ETlsError&) {
        whole.Refused = true;
    }
    const TFraming pieces = InPieces(stream, piece);
    if (pieces.Refused != whole.Refused || (!whole.Refused && pieces.Taken != whole.Taken) ||
        whole.Taken > stream.size())
        std::abort();
    return 0;
}
