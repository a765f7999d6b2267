#include "TestSocket.h"

#include <winsock2.h>

namespace testnet {

namespace {

// The test peers start Winsock for themselves, apart from the code under test.
struct TWinsock {
    TWinsock()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~TWinsock() { WSACleanup(); }
};

void Start()
{
    static TWinsock winsock;
}

sockaddr_in Loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

bool Wait(Socket socket, int timeoutMs)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(static_cast<SOCKET>(socket), &readable);
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    return select(0, &readable, nullptr, nullptr, &limit) > 0;
}

} // namespace

Socket Listen(int& port, int backlog)
{
    Start();
    const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(0);
    int length = sizeof address;
    if (s == INVALID_SOCKET || bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(s, backlog) != 0 || getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (s != INVALID_SOCKET)
            closesocket(s);
        return NoSocket;
    }
    port = ntohs(address.sin_port);
    return static_cast<Socket>(s);
}

Socket Accept(Socket listener, int timeoutMs)
{
    if (!Wait(listener, timeoutMs))
        return NoSocket;
    const SOCKET s = accept(static_cast<SOCKET>(listener), nullptr, nullptr);
    return s == INVALID_SOCKET ? NoSocket : static_cast<Socket>(s);
}

Socket ConnectNonBlocking(int port)
{
    Start();
    const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    u_long on = 1;
    ioctlsocket(s, FIONBIO, &on);
    const sockaddr_in address = Loopback(port);
    connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    return static_cast<Socket>(s);
}

bool CanConnect(int port)
{
    Start();
    const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = Loopback(port);
    const bool connected = connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    closesocket(s);
    return connected;
}

int Recv(Socket socket, char* buffer, int length, int timeoutMs)
{
    if (!Wait(socket, timeoutMs))
        return -1;
    const int n = recv(static_cast<SOCKET>(socket), buffer, length, 0);
    return n < 0 ? -1 : n;
}

bool SendAll(Socket socket, const std::string& bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        const int n = send(static_cast<SOCKET>(socket), bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

void ShutdownSend(Socket socket)
{
    shutdown(static_cast<SOCKET>(socket), SD_SEND);
}

void Close(Socket socket)
{
    if (socket != NoSocket)
        closesocket(static_cast<SOCKET>(socket));
}

} // namespace testnet
