#include "net/SocketStack.h"

#include "base/Exception.h"
#include "base/Format.h"
#include "base/SystemError.h"
#include "base/SystemLibrary.h"
#include "net/NetMessages.h"
#include "net/SocketErrors.h"

#include <winsock2.h>
#include <windows.h>

#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace {

constexpr const char* LibraryName = "WS2_32.DLL";

// WS2_32.DLL, loaded from the system folder at the first start-up and looked up function by
// function on first use, so the program starts (and says why not) on a machine without a usable
// Winsock.
class TWinsockLibrary {
public:
    ~TWinsockLibrary()
    {
        if (started_)
            Entry<decltype(&::WSACleanup)>("WSACleanup")();
    }

    // Loads the library and starts Winsock 2.2, both once per process.
    void Startup()
    {
        const std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (!library_) {
            library_.emplace(LibraryName);
            if (!library_->Loaded()) {
                const DWORD reason = GetLastError();
                library_.reset();
                throw EWinsockLoadError(Format(NetMessages::WinsockLoadError, LibraryName) + ": " + SysErrorMessage(reason));
            }
        }
        if (started_)
            return;
        WSADATA data;
        if (Entry<decltype(&::WSAStartup)>("WSAStartup")(MAKEWORD(2, 2), &data) != 0)
            throw ESocketStackInitFailed(NetMessages::WinsockInitializationError);
        started_ = true;
    }

    template <typename Fn>
    Fn Entry(const char* name)
    {
        const std::lock_guard<std::recursive_mutex> lock(mutex_);
        FARPROC& entry = entries_[name];
        if (entry == nullptr) {
            if (!library_)
                throw EWinsockLoadError(Format(NetMessages::WinsockCallError, name) + ": " + SysErrorMessage(WSANOTINITIALISED));
            entry = library_->Entry<FARPROC>(name);
            if (entry == nullptr)
                throw EWinsockLoadError(Format(NetMessages::WinsockCallError, name) + ": " + SysErrorMessage(GetLastError()));
        }
        return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(entry));
    }

private:
    std::recursive_mutex mutex_;
    std::optional<TSystemLibrary> library_;
    bool started_ = false;
    std::map<std::string, FARPROC> entries_;
};

TWinsockLibrary& Library()
{
    static TWinsockLibrary library;
    return library;
}

#define WS2(name) Library().Entry<decltype(&::name)>(#name)

// Network byte order by hand, so no Winsock entry is needed for it.
u_short NetworkPort(int port)
{
    const auto value = static_cast<unsigned short>(port);
    return static_cast<u_short>((value >> 8) | (value << 8));
}

int HostPort(u_short port)
{
    return static_cast<unsigned short>((port >> 8) | (port << 8));
}

bool MakeAddress(const std::string& ip, int port, sockaddr_in& address)
{
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = NetworkPort(port);
    if (ip.empty())
        return true;
    unsigned char bytes[4];
    if (!TSocketStack::ParseAddress(ip, bytes))
        return false;
    std::memcpy(&address.sin_addr, bytes, 4);
    return true;
}

void ReadAddress(const sockaddr_in& address, std::string& ip, int& port)
{
    unsigned char bytes[4];
    std::memcpy(bytes, &address.sin_addr, 4);
    ip = TSocketStack::FormatAddress(bytes);
    port = HostPort(address.sin_port);
}

class TWinsockStack : public TSocketStack {
public:
    TPlatformSocket OpenSocket() override
    {
        const SOCKET socket = WS2(socket)(AF_INET, SOCK_STREAM, 0);
        return socket == INVALID_SOCKET ? NoPlatformSocket : static_cast<TPlatformSocket>(socket);
    }

    int Bind(TPlatformSocket socket, const std::string& ip, int port) override
    {
        sockaddr_in address;
        if (!MakeAddress(ip, port, address))
            return Invalid();
        return WS2(bind)(Handle(socket), reinterpret_cast<sockaddr*>(&address), sizeof address);
    }

    int Connect(TPlatformSocket socket, const std::string& ip, int port) override
    {
        sockaddr_in address;
        if (!MakeAddress(ip, port, address))
            return Invalid();
        return WS2(connect)(Handle(socket), reinterpret_cast<sockaddr*>(&address), sizeof address);
    }

    int WaitReadable(TPlatformSocket socket, int timeoutMs) override
    {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(Handle(socket), &readable);
        timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
        const int result = WS2(select)(0, &readable, nullptr, nullptr, timeoutMs < 0 ? nullptr : &limit);
        return result > 0 ? 1 : result;
    }

    int Receive(TPlatformSocket socket, void* buffer, int length) override
    {
        return WS2(recv)(Handle(socket), static_cast<char*>(buffer), length, 0);
    }

    int Send(TPlatformSocket socket, const void* buffer, int length) override
    {
        return WS2(send)(Handle(socket), static_cast<const char*>(buffer), length, 0);
    }

    int Shutdown(TPlatformSocket socket, ShutdownSide how) override
    {
        return WS2(shutdown)(Handle(socket), how == ShutdownSide::Sending ? SD_SEND : SD_BOTH);
    }

    int CloseSocket(TPlatformSocket socket) override { return WS2(closesocket)(Handle(socket)); }

    int GetLocalAddress(TPlatformSocket socket, std::string& ip, int& port) override
    {
        sockaddr_in address;
        int length = sizeof address;
        const int result = WS2(getsockname)(Handle(socket), reinterpret_cast<sockaddr*>(&address), &length);
        if (result == 0)
            ReadAddress(address, ip, port);
        return result;
    }

    int GetPeerAddress(TPlatformSocket socket, std::string& ip, int& port) override
    {
        sockaddr_in address;
        int length = sizeof address;
        const int result = WS2(getpeername)(Handle(socket), reinterpret_cast<sockaddr*>(&address), &length);
        if (result == 0)
            ReadAddress(address, ip, port);
        return result;
    }

    int SetNoDelay(TPlatformSocket socket) override
    {
        const BOOL on = TRUE;
        return WS2(setsockopt)(Handle(socket), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    }

    std::string LookupHost(const std::string& name) override
    {
        const hostent* host = WS2(gethostbyname)(name.c_str());
        if (host == nullptr)
            return {};
        if (host->h_addrtype != AF_INET || host->h_addr_list[0] == nullptr) {
            WS2(WSASetLastError)(WSAHOST_NOT_FOUND);
            return {};
        }
        unsigned char bytes[4];
        std::memcpy(bytes, host->h_addr_list[0], 4);
        return FormatAddress(bytes);
    }

    int LastCallError() override { return WS2(WSAGetLastError)(); }

private:
    static SOCKET Handle(TPlatformSocket socket) { return static_cast<SOCKET>(socket); }

    static int Invalid()
    {
        WS2(WSASetLastError)(WSAEINVAL);
        return SOCKET_ERROR;
    }
};

} // namespace

std::unique_ptr<TSocketStack> NewPlatformStack()
{
    Library().Startup();
    return std::make_unique<TWinsockStack>();
}

void StartSocketInterface()
{
    try {
        Library().Startup();
    } catch (const EWinsockLoadError&) {
        throw Exception(NetMessages::SocketInterfaceLoadError);
    }
}
