// The reply parser of the HTTP client, fed whatever a server might send.
//
// Input: one byte of line rules, one byte of delivery, then the bytes the server sends. They
// arrive in pieces of the delivery's size, the way receives hand them over, and are offered to
// the parser as the exchange offers them: everything received and not taken yet. Two replies
// are read one after the other from the same bytes, as on a kept-alive connection, each head
// with its interim replies, then the body in the framing its head gives. When the bytes run
// out the peer closes, or, with the delivery's top bit, it falls silent as a read time-out
// leaves it. The parser must take no more than it is offered, hand on as body only bytes it
// took, keep within its limits, and end wanting nothing once the peer has closed.

#include "net/HttpHeaders.h"
#include "net/HttpReplyParser.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// What the server sends, received piece by piece into what the parser is offered.
struct TDelivery {
    std::string_view Sent;
    std::size_t Piece = 0;  // bytes per receive; 0: all at once
    bool Silent = false;    // the bytes run out without a close
    std::string Received;   // received and not yet taken

    bool Receive()
    {
        if (Sent.empty())
            return false;
        const std::size_t n = Piece == 0 ? Sent.size() : std::min(Piece, Sent.size());
        Received.append(Sent.substr(0, n));
        Sent.remove_prefix(n);
        return true;
    }
};

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// Offers the parser what it asks for; false when the bytes ran out before it had it.
bool Drive(THttpReplyParser& parser, TDelivery& delivery, std::string* body)
{
    while (parser.WantsBytes()) {
        const std::string_view offered = delivery.Received;
        const std::size_t taken = parser.Feed(offered);
        Check(taken <= offered.size());
        const std::string_view piece = parser.Body();
        if (!piece.empty()) {
            Check(body != nullptr && piece.data() == offered.data() && piece.size() == taken);
            body->append(piece);
        }
        delivery.Received.erase(0, taken);
        if (taken != 0 || !parser.WantsBytes() || delivery.Receive())
            continue;
        if (delivery.Silent)
            return false;
        parser.Close();
        Check(!parser.WantsBytes());
    }
    Check(parser.Failed() != parser.FaultText().empty());
    return !parser.Failed();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::uint8_t rules = data[0];
    TDelivery delivery;
    delivery.Piece = data[1] & 0x7F;
    delivery.Silent = (data[1] & 0x80) != 0;
    delivery.Sent = std::string_view(reinterpret_cast<const char*>(data) + 2, size - 2);

    THttpReplyParser parser((rules & 0x80) != 0 ? 64 : 16384, (rules & 0x04) != 0);
    for (int reply = 0; reply < 2; ++reply) {
        TResponseHeaders head;
        parser.StartReplies();
        for (;;) {
            if (!Drive(parser, delivery, nullptr) || !parser.HeadComplete())
                return 0;
            Check(parser.HeaderLines().Count() <= ReplyLimits::HeadLines);
            head.RawHeaders = parser.HeaderLines();
            head.ReadRawHeaders();
            if (!parser.Interim())
                break;
            parser.NextHead();
        }
        std::string body;
        parser.StartBody(FramingOf(head), head.ContentLength);
        const bool complete = Drive(parser, delivery, &body);
        Check(static_cast<std::int64_t>(body.size()) == parser.BodyBytes());
        Check(parser.BodyBytes() <= ReplyLimits::BodyBytes && body.size() <= size);
        if (!complete || parser.HeadEndedByClose())
            return 0;
    }
    return 0;
}
