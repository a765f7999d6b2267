#include "net/SocketStack.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The Winsock number that stands for an errno value, so the messages match the Windows product.
int WinsockCode(int error)
{
    switch (error) {
    case EINTR: return 10004;
    case EBADF: return 10009;
    case EACCES: return 10013;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EMFILE: return 10024;
    case EWOULDBLOCK: return 10035;
    case EINPROGRESS: return 10036;
    case EALREADY: return 10037;
    case ENOTSOCK: return 10038;
    case EDESTADDRREQ: return 10039;
    case EMSGSIZE: return 10040;
    case EPROTOTYPE: return 10041;
    case ENOPROTOOPT: return 10042;
    case EPROTONOSUPPORT: return 10043;
    case ESOCKTNOSUPPORT: return 10044;
    case EOPNOTSUPP: return 10045;
    case EPFNOSUPPORT: return 10046;
    case EAFNOSUPPORT: return 10047;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ENETRESET: return 10052;
    case ECONNABORTED: return 10053;
    case ECONNRESET: return 10054;
    // Sending to a peer that has gone away; Winsock reports a reset there.
    case EPIPE: return 10054;
    case ENOBUFS: return 10055;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case ESHUTDOWN: return 10058;
    case ETOOMANYREFS: return 10059;
    case ETIMEDOUT: return 10060;
    case ECONNREFUSED: return 10061;
    case ELOOP: return 10062;
    case ENAMETOOLONG: return 10063;
    case EHOSTDOWN: return 10064;
    case EHOSTUNREACH: return 10065;
    case ENOTEMPTY: return 10066;
    default: return error;
    }
}

// The Winsock numbers of failed name lookups: host not found, try again, no recovery, no data.
int LookupCode(int gaiError)
{
    switch (gaiError) {
    case EAI_AGAIN: return 11002;
    case EAI_FAIL: return 11003;
    case EAI_NODATA: return 11004;
    case EAI_SYSTEM: return WinsockCode(errno);
    default: return 11001;
    }
}

// The last error of this thread, in Winsock numbers.
thread_local int lastError = 0;

int Fail(int error)
{
    lastError = WinsockCode(error);
    return SocketCallFailed;
}

int Checked(long result)
{
    return result < 0 ? Fail(errno) : static_cast<int>(result);
}

bool MakeAddress(const std::string& ip, int port, sockaddr_in& address)
{
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (ip.empty())
        return true;
    unsigned char bytes[4];
    if (!TSocketStack::ParseAddress(ip, bytes))
        return false;
    std::memcpy(&address.sin_addr, bytes, 4);
    return true;
}

int ReadAddress(const sockaddr_in& address, std::string& ip, int& port)
{
    unsigned char bytes[4];
    std::memcpy(bytes, &address.sin_addr, 4);
    ip = TSocketStack::FormatAddress(bytes);
    port = ntohs(address.sin_port);
    return 0;
}

class TPosixSocketStack : public TSocketStack {
public:
    TPlatformSocket OpenSocket() override
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            Fail(errno);
            return NoPlatformSocket;
        }
        return fd;
    }

    int Bind(TPlatformSocket socket, const std::string& ip, int port) override
    {
        sockaddr_in address;
        if (!MakeAddress(ip, port, address))
            return Fail(EINVAL);
        return Checked(::bind(Fd(socket), reinterpret_cast<sockaddr*>(&address), sizeof address));
    }

    int Connect(TPlatformSocket socket, const std::string& ip, int port) override
    {
        sockaddr_in address;
        if (!MakeAddress(ip, port, address))
            return Fail(EINVAL);
        return Checked(::connect(Fd(socket), reinterpret_cast<sockaddr*>(&address), sizeof address));
    }

    int WaitReadable(TPlatformSocket socket, int timeoutMs) override
    {
        pollfd entry{Fd(socket), POLLIN, 0};
        int result;
        do
            result = ::poll(&entry, 1, timeoutMs < 0 ? -1 : timeoutMs);
        while (result < 0 && errno == EINTR);
        return Checked(result);
    }

    int Receive(TPlatformSocket socket, void* buffer, int length) override
    {
        ssize_t result;
        do
            result = ::recv(Fd(socket), buffer, static_cast<size_t>(length), 0);
        while (result < 0 && errno == EINTR);
        return Checked(result);
    }

    int Send(TPlatformSocket socket, const void* buffer, int length) override
    {
        // A peer that has gone must give an error, not end the process with SIGPIPE.
        ssize_t result;
        do
            result = ::send(Fd(socket), buffer, static_cast<size_t>(length), MSG_NOSIGNAL);
        while (result < 0 && errno == EINTR);
        return Checked(result);
    }

    int Shutdown(TPlatformSocket socket, ShutdownSide how) override
    {
        return Checked(::shutdown(Fd(socket), how == ShutdownSide::Sending ? SHUT_WR : SHUT_RDWR));
    }

    int CloseSocket(TPlatformSocket socket) override { return Checked(::close(Fd(socket))); }

    int GetLocalAddress(TPlatformSocket socket, std::string& ip, int& port) override
    {
        sockaddr_in address;
        socklen_t length = sizeof address;
        if (::getsockname(Fd(socket), reinterpret_cast<sockaddr*>(&address), &length) < 0)
            return Fail(errno);
        return ReadAddress(address, ip, port);
    }

    int GetPeerAddress(TPlatformSocket socket, std::string& ip, int& port) override
    {
        sockaddr_in address;
        socklen_t length = sizeof address;
        if (::getpeername(Fd(socket), reinterpret_cast<sockaddr*>(&address), &length) < 0)
            return Fail(errno);
        return ReadAddress(address, ip, port);
    }

    int SetNoDelay(TPlatformSocket socket) override
    {
        const int on = 1;
        return Checked(::setsockopt(Fd(socket), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on));
    }

    std::string LookupHost(const std::string& name) override
    {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        const int result = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
        const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> owner(found, &::freeaddrinfo);
        if (result != 0 || found == nullptr) {
            lastError = result != 0 ? LookupCode(result) : WinsockError::HostNotFound;
            return {};
        }
        std::string ip;
        int port;
        ReadAddress(*reinterpret_cast<const sockaddr_in*>(found->ai_addr), ip, port);
        return ip;
    }

    int LastCallError() override { return lastError; }

private:
    static int Fd(TPlatformSocket socket) { return static_cast<int>(socket); }
};

} // namespace

std::unique_ptr<TSocketStack> NewPlatformStack()
{
    return std::make_unique<TPosixSocketStack>();
}

void StartSocketInterface() {}
