#include "HostileServers.h"

#include <chrono>
#include <thread>

namespace {

// Answers with head, then repeats piece until total bytes of it went out or the client stopped
// taking them, then closes.
TLoopbackServer::TScript Flood(const std::string& head, const std::string& piece, std::size_t total)
{
    return [=](TPeer& peer) {
        peer.ReadRequest();
        if (!peer.Send(head))
            return;
        for (std::size_t sent = 0; sent < total; sent += piece.size())
            if (!peer.Send(piece))
                return;
    };
}

// Sends the reply one byte at a time with a pause after each, so each arrives on its own.
TLoopbackServer::TScript Drip(const std::string& reply)
{
    return [=](TPeer& peer) {
        peer.ReadRequest();
        for (char c : reply) {
            if (!peer.Send(std::string(1, c)))
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
}

} // namespace

std::string Filler(std::size_t size)
{
    std::string text;
    text.reserve(size);
    while (text.size() < size)
        text += "0123456789abcdef";
    text.resize(size);
    return text;
}

const std::vector<THostileServer>& HostileServers()
{
    const std::string ok = "HTTP/1.1 200 OK\r\n";
    static const std::vector<THostileServer> servers = {
        {"endless headers", Flood(ok, "X-Filler: 0123456789abcdef\r\n", EndlessHeaderLines * 28),
         "Reply head exceeds the limit of 1000 header lines.", ""},
        {"endless head of long lines", Flood(ok, "X-Filler: " + Filler(16000) + "\r\n", 16 * 1024 * 1024),
         "Reply head exceeds the limit of 1048576 bytes.", ""},
        {"endless interim replies", Flood("", "HTTP/1.1 100 Continue\r\n\r\n", 1024 * 1024),
         "Interim replies exceed the limit of 100.", ""},
        {"header line past the maximum", Flood(ok + "X-Long: ", Filler(65536), 1024 * 1024),
         "Max line length exceeded.", ""},
        {"status line past the maximum", Flood("", Filler(65536), 1024 * 1024), "Max line length exceeded.", ""},
        {"status line of garbage", Reply(std::string("\x16\x03\x01 \x00\xff\xfe", 7) + "\r\n\r\nrest"),
         std::string("\x16\x03\x01 \x00\xff\xfe", 7), ""},
        {"Content-Length far beyond what is sent", Reply(ok + "Content-Length: 2147483647\r\n\r\nonly this"),
         "Connection closed before the whole reply arrived: 9 of 2147483647 bytes.", "only this"},
        {"Content-Length beyond 32 bits", Reply(ok + "Content-Length: 99999999999\r\n\r\nonly this"), "", "only this"},
        {"chunk size FFFFFFFF", Reply(ok + "Transfer-Encoding: chunked\r\n\r\nFFFFFFFF\r\nsome data\r\n"),
         "Connection closed before the whole reply arrived: 11 bytes of a chunked body, its last chunk missing.",
         "some data\r\n"},
        {"chunk size of 64 bits", Reply(ok + "Transfer-Encoding: chunked\r\n\r\nFFFFFFFFFFFFFFFF1\r\nsome data\r\n"),
         "Connection closed before the whole reply arrived: 11 bytes of a chunked body, its last chunk missing.",
         "some data\r\n"},
        {"negative Content-Length", Reply(ok + "Content-Length: -5\r\n\r\nbody bytes"), "", "body bytes"},
        {"non-numeric Content-Length", Reply(ok + "Content-Length: abc\r\n\r\nbody bytes"), "", "body bytes"},
        {"body that never ends", Flood(ok + "\r\n", Filler(65536), EndlessBodyBytes), "", Filler(EndlessBodyBytes)},
        {"slow drip", Drip(ok + "Content-Length: 11\r\n\r\nhello world"), "", "hello world"},
        {"slow drip, chunked", Drip(ok + "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n"), "",
         "hello world"},
        {"redirect to itself", Reply(RedirectToItself("/vellumbox/upload.php")), "HTTP/1.1 302 Found", ""},
    };
    return servers;
}

std::string RedirectToItself(const std::string& path)
{
    return "HTTP/1.1 302 Found\r\nLocation: " + path + "\r\nContent-Length: 0\r\n\r\n";
}
