#include "net/SocketIOHandler.h"

#include "net/NetMessages.h"
#include "net/SocketErrors.h"

void TSocketIOHandler::PrepareSocket()
{
    if (!UseNagle)
        socket_.SetNoDelay();
}

bool TSocketIOHandler::Readable(int timeoutMs)
{
    if (!Connected())
        throw EConnClosedGracefully(NetMessages::ConnectionClosedGracefully);
    return socket_.Readable(timeoutMs);
}

int TSocketIOHandler::Recv(void* buffer, int length)
{
    if (!Connected())
        throw EClosedSocket(NetMessages::Disconnected);
    return socket_.Recv(buffer, length);
}

int TSocketIOHandler::Send(const void* buffer, int length)
{
    if (!Connected())
        throw EClosedSocket(NetMessages::Disconnected);
    return socket_.Send(buffer, length);
}
