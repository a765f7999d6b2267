#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

// A socket as the platform hands it out; NoPlatformSocket when there is none.
using TPlatformSocket = std::intptr_t;
inline constexpr TPlatformSocket NoPlatformSocket = -1;
inline constexpr int SocketCallFailed = -1;

// Socket error numbers. Every back end reports the Winsock numbers, so the messages built from
// them read the same on every platform.
namespace WinsockError {
inline constexpr int BadFileNumber = 10009;
inline constexpr int NotASocket = 10038;
inline constexpr int AddressInUse = 10048;
inline constexpr int ConnectionAborted = 10053;
inline constexpr int ConnectionReset = 10054;
inline constexpr int SocketShutDown = 10058;
inline constexpr int ConnectionRefused = 10061;
inline constexpr int NotInitialised = 10093;
inline constexpr int HostNotFound = 11001;
} // namespace WinsockError

enum class ShutdownSide { Sending, Both };

// The process's socket interface. The pure virtual calls are the port to the platform's
// sockets (IPv4 stream sockets only); each returns SocketCallFailed (or NoPlatformSocket) on
// failure and leaves the Winsock number of the failure for LastCallError. The rest is the
// logic every platform shares: error checking, error texts and host resolution.
class TSocketStack {
public:
    virtual ~TSocketStack() = default;
    TSocketStack() = default;
    TSocketStack(const TSocketStack&) = delete;
    TSocketStack& operator=(const TSocketStack&) = delete;

    virtual TPlatformSocket OpenSocket() = 0;
    // An empty ip binds to any address.
    virtual int Bind(TPlatformSocket socket, const std::string& ip, int port) = 0;
    virtual int Connect(TPlatformSocket socket, const std::string& ip, int port) = 0;
    // 1 when the socket is readable, 0 when the time-out passed first, SocketCallFailed on failure.
    // A negative time-out waits without limit.
    virtual int WaitReadable(TPlatformSocket socket, int timeoutMs) = 0;
    virtual int Receive(TPlatformSocket socket, void* buffer, int length) = 0;
    virtual int Send(TPlatformSocket socket, const void* buffer, int length) = 0;
    virtual int Shutdown(TPlatformSocket socket, ShutdownSide how) = 0;
    virtual int CloseSocket(TPlatformSocket socket) = 0;
    virtual int GetLocalAddress(TPlatformSocket socket, std::string& ip, int& port) = 0;
    virtual int GetPeerAddress(TPlatformSocket socket, std::string& ip, int& port) = 0;
    virtual int SetNoDelay(TPlatformSocket socket) = 0;
    // The first IPv4 address of the name as four dotted numbers; empty when the lookup failed.
    virtual std::string LookupHost(const std::string& name) = 0;
    // The Winsock number of the calling thread's last failed call.
    virtual int LastCallError() = 0;

    // When result is SocketCallFailed: stores the error code as the last error and raises
    // ESocketError unless the code is one the caller handles itself. Returns result.
    int RaiseOnSocketError(int result, std::initializer_list<int> handled = {});
    int LastError() const { return lastError_; }

    // "Socket Error # <code>" CR LF and the code's text (empty for codes without one).
    static std::string SocketErrorMessage(int code);
    // Exactly four dot-separated decimal numbers from 0 to 255.
    static bool IsNumericAddress(const std::string& text);
    // The four numbers of such an address, most significant first; false when text is none.
    static bool ParseAddress(const std::string& text, unsigned char (&bytes)[4]);
    static std::string FormatAddress(const unsigned char (&bytes)[4]);
    // Whether resolving the host needs a name lookup (neither "localhost" nor a numeric address).
    static bool NeedsLookup(const std::string& host);
    // The dotted address of a host; a failed lookup raises the socket error.
    std::string ResolveHost(const std::string& host);

private:
    int lastError_ = 0;
};

// The platform's socket interface, its library loaded and started (once per process).
std::unique_ptr<TSocketStack> NewPlatformStack();

// Loads and starts the platform's socket library for the whole process; the program entry calls
// it first. On Windows a library that cannot be loaded raises Exception with
// "Error loading Socket interface (ws2_32.dll)!"; elsewhere there is nothing to load.
void StartSocketInterface();
