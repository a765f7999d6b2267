#include "TestSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testnet {

namespace {

sockaddr_in Loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

bool Wait(Socket socket, int timeoutMs)
{
    pollfd entry{static_cast<int>(socket), POLLIN, 0};
    return ::poll(&entry, 1, timeoutMs) > 0;
}

} // namespace

Socket Listen(int& port, int backlog)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, backlog) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (fd >= 0)
            ::close(fd);
        return NoSocket;
    }
    port = ntohs(address.sin_port);
    return fd;
}

Socket Accept(Socket listener, int timeoutMs)
{
    if (!Wait(listener, timeoutMs))
        return NoSocket;
    const int fd = ::accept4(static_cast<int>(listener), nullptr, nullptr, SOCK_CLOEXEC);
    return fd < 0 ? NoSocket : fd;
}

Socket ConnectNonBlocking(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const sockaddr_in address = Loopback(port);
    ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    return fd;
}

bool CanConnect(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = Loopback(port);
    const bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

int Recv(Socket socket, char* buffer, int length, int timeoutMs)
{
    if (!Wait(socket, timeoutMs))
        return -1;
    const ssize_t n = ::recv(static_cast<int>(socket), buffer, static_cast<size_t>(length), 0);
    return n < 0 ? -1 : static_cast<int>(n);
}

bool SendAll(Socket socket, const std::string& bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(static_cast<int>(socket), bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

void ShutdownSend(Socket socket)
{
    ::shutdown(static_cast<int>(socket), SHUT_WR);
}

void Close(Socket socket)
{
    if (socket != NoSocket)
        ::close(static_cast<int>(socket));
}

} // namespace testnet
