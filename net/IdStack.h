#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

// A socket as the platform hands it out; Id_INVALID_SOCKET when there is none.
using TIdStackSocketHandle = std::intptr_t;
inline constexpr TIdStackSocketHandle Id_INVALID_SOCKET = -1;
inline constexpr int Id_SOCKET_ERROR = -1;

// Socket error numbers. Every back end reports the Winsock numbers, so the messages built from
// them read the same on every platform.
inline constexpr int Id_WSAEBADF = 10009;
inline constexpr int Id_WSAENOTSOCK = 10038;
inline constexpr int Id_WSAEADDRINUSE = 10048;
inline constexpr int Id_WSAECONNABORTED = 10053;
inline constexpr int Id_WSAECONNRESET = 10054;
inline constexpr int Id_WSAESHUTDOWN = 10058;
inline constexpr int Id_WSAECONNREFUSED = 10061;
inline constexpr int Id_WSANOTINITIALISED = 10093;
inline constexpr int Id_WSAHOST_NOT_FOUND = 11001;

enum class TIdShutdownHow { Send, Both };

// The process's socket interface. The pure virtual calls are the port to the platform's
// sockets (IPv4 stream sockets only); each returns Id_SOCKET_ERROR (or Id_INVALID_SOCKET) on
// failure and leaves the Winsock number of the failure for WSGetLastError. The rest is the
// logic every platform shares: error checking, error texts and host resolution.
class TIdStack {
public:
    virtual ~TIdStack() = default;
    TIdStack() = default;
    TIdStack(const TIdStack&) = delete;
    TIdStack& operator=(const TIdStack&) = delete;

    virtual TIdStackSocketHandle WSSocket() = 0;
    // An empty ip binds to any address.
    virtual int WSBind(TIdStackSocketHandle socket, const std::string& ip, int port) = 0;
    virtual int WSConnect(TIdStackSocketHandle socket, const std::string& ip, int port) = 0;
    // 1 when the socket is readable, 0 when the time-out passed first, Id_SOCKET_ERROR on failure.
    // A negative time-out waits without limit.
    virtual int WSSelectRead(TIdStackSocketHandle socket, int timeoutMs) = 0;
    virtual int WSRecv(TIdStackSocketHandle socket, void* buffer, int length) = 0;
    virtual int WSSend(TIdStackSocketHandle socket, const void* buffer, int length) = 0;
    virtual int WSShutdown(TIdStackSocketHandle socket, TIdShutdownHow how) = 0;
    virtual int WSCloseSocket(TIdStackSocketHandle socket) = 0;
    virtual int WSGetSockName(TIdStackSocketHandle socket, std::string& ip, int& port) = 0;
    virtual int WSGetPeerName(TIdStackSocketHandle socket, std::string& ip, int& port) = 0;
    virtual int WSSetNoDelay(TIdStackSocketHandle socket) = 0;
    // The first IPv4 address of the name as four dotted numbers; empty when the lookup failed.
    virtual std::string WSGetHostByName(const std::string& name) = 0;
    // The Winsock number of the calling thread's last failed call.
    virtual int WSGetLastError() = 0;

    // When result is Id_SOCKET_ERROR: stores the error code as the last error and raises
    // EIdSocketError unless the code is one the caller handles itself. Returns result.
    int CheckForSocketError(int result, std::initializer_list<int> handled = {});
    int LastError() const { return lastError_; }

    // "Socket Error # <code>" CR LF and the code's text (empty for codes without one).
    static std::string WSTranslateSocketErrorMsg(int code);
    // Exactly four dot-separated decimal numbers from 0 to 255.
    static bool IsIP(const std::string& text);
    // The four numbers of such an address, most significant first; false when text is none.
    static bool ParseIP(const std::string& text, unsigned char (&bytes)[4]);
    static std::string FormatIP(const unsigned char (&bytes)[4]);
    // Whether resolving the host needs a name lookup (neither "localhost" nor a numeric address).
    static bool NeedsLookup(const std::string& host);
    // The dotted address of a host; a failed lookup raises the socket error.
    std::string ResolveHost(const std::string& host);

private:
    int lastError_ = 0;
};

// The platform's socket interface, its library loaded and started (once per process).
std::unique_ptr<TIdStack> NewPlatformStack();

// Loads and starts the platform's socket library for the whole process; the program entry calls
// it first. On Windows a library that cannot be loaded raises Exception with
// "Error loading Socket interface (ws2_32.dll)!"; elsewhere there is nothing to load.
void StartSocketInterface();
