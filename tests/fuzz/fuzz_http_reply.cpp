// The reply reader of the HTTP client, fed by a server that says whatever the fuzzer says.
//
// Input: one byte of client settings, one byte of delivery, then the bytes the server sends.
// The socket calls are answered by a scripted stack: every connection the client opens reads
// on from where the previous one stopped, so redirects, authorization retries and a second
// upload all take their replies from the same bytes. The upload is posted twice on one client,
// so cookies and keep-alive carry over. Every failure must be one of the program's exceptions,
// and the reply buffer never holds more than the server sent.

#include "base/Exception.h"
#include "base/Streams.h"
#include "net/HttpClient.h"
#include "net/SocketStack.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

// What the server sends, shared by every connection of one run.
struct TScript {
    const std::uint8_t* Bytes = nullptr;
    std::size_t Size = 0;
    std::size_t At = 0;
    std::size_t Piece = 0;          // bytes per receive; 0: as many as asked
    bool EndWithReset = false;      // the last receive fails with "Connection reset by peer"
    bool TimeOuts = false;          // every other wait with a limit passes without data
    unsigned Waits = 0;
};

TScript* CurrentScript = nullptr;

class TScriptedStack : public TSocketStack {
public:
    TPlatformSocket OpenSocket() override { return nextSocket_++; }
    int Bind(TPlatformSocket, const std::string&, int) override { return 0; }
    int Connect(TPlatformSocket, const std::string&, int) override { return 0; }
    int WaitReadable(TPlatformSocket, int timeoutMs) override
    {
        TScript& s = *CurrentScript;
        if (timeoutMs >= 0 && s.TimeOuts && s.Waits++ % 2 == 1)
            return 0;
        return 1;
    }
    int Receive(TPlatformSocket, void* buffer, int length) override
    {
        TScript& s = *CurrentScript;
        if (s.At == s.Size) {
            if (s.EndWithReset)
                return Failed(WinsockError::ConnectionReset);
            return 0;
        }
        std::size_t n = std::min(static_cast<std::size_t>(length), s.Size - s.At);
        if (s.Piece != 0)
            n = std::min(n, s.Piece);
        std::memcpy(buffer, s.Bytes + s.At, n);
        s.At += n;
        return static_cast<int>(n);
    }
    int Send(TPlatformSocket, const void*, int length) override { return length; }
    int Shutdown(TPlatformSocket, ShutdownSide) override { return 0; }
    int CloseSocket(TPlatformSocket) override { return 0; }
    int GetLocalAddress(TPlatformSocket, std::string& ip, int& port) override
    {
        ip = "127.0.0.1";
        port = 49152;
        return 0;
    }
    int GetPeerAddress(TPlatformSocket, std::string& ip, int& port) override
    {
        ip = "192.0.2.7";
        port = 80;
        return 0;
    }
    int SetNoDelay(TPlatformSocket) override { return 0; }
    std::string LookupHost(const std::string&) override { return "192.0.2.7"; }
    int LastCallError() override { return lastError_; }

private:
    int Failed(int code)
    {
        lastError_ = code;
        return SocketCallFailed;
    }

    TPlatformSocket nextSocket_ = 3;
    int lastError_ = 0;
};

} // namespace

// The port's platform side, which the fuzz build takes from here instead of the sockets.
std::unique_ptr<TSocketStack> NewPlatformStack()
{
    return std::make_unique<TScriptedStack>();
}

void StartSocketInterface() {}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::uint8_t settings = data[0];
    TScript script;
    script.Piece = data[1] & 0x7F;
    script.EndWithReset = (data[1] & 0x80) != 0;
    script.TimeOuts = (settings & 0x20) != 0;
    script.Bytes = data + 2;
    script.Size = size - 2;
    CurrentScript = &script;

    THttpClient http;
    http.HTTPOptions.clear();
    if (settings & 0x01) {
        http.HandleRedirects = true;
        http.RedirectMaximum = 4;
    }
    if (settings & 0x02) {
        http.ProtocolVersion = THttpVersion::pv1_1;
        http.HTTPOptions.insert(THttpOption::hoKeepOrigProtocol);
    }
    if (settings & 0x04)
        http.MaxLineAction = TMaxLineAction::maSplit;
    if (settings & 0x08)
        http.AllowCookies = false;
    if (settings & 0x10) {
        http.HTTPOptions.insert(THttpOption::hoInProcessAuth);
        http.OnAuthorization = [](TCustomHttpClient&, TAuthenticationScheme& authentication, bool& handled) {
            authentication.Username = "customer";
            authentication.Password = "secret";
            handled = true;
        };
    }
    if (settings & 0x40)
        http.OnRedirect = [](TCustomHttpClient&, std::string&, int&, bool& handled, THttpMethod&) { handled = true; };
    if (settings & 0x80)
        http.MaxLineLength = 64;

    for (int upload = 0; upload < 2; ++upload) {
        TStringStream source("report");
        TStringStream reply;
        try {
            http.Post("http://upload.example/vellumbox/upload.php", source, reply);
        } catch (const Exception&) {
            // Every outcome the user can be shown is one of the program's errors.
        }
        if (static_cast<std::size_t>(reply.Size()) > script.Size)
            std::abort();
    }
    CurrentScript = nullptr;
    return 0;
}
