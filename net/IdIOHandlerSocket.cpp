#include "net/IdIOHandlerSocket.h"

#include "net/IdResourceStrings.h"
#include "net/IdSocketExceptions.h"

bool TIdIOHandlerSocket::Readable(int timeoutMs)
{
    if (!Connected())
        throw EIdConnClosedGracefully(IdRS::ConnectionClosedGracefully);
    return binding_.Readable(timeoutMs);
}

int TIdIOHandlerSocket::Recv(void* buffer, int length)
{
    if (!Connected())
        throw EIdClosedSocket(IdRS::StatusDisconnected);
    return binding_.Recv(buffer, length);
}

int TIdIOHandlerSocket::Send(const void* buffer, int length)
{
    if (!Connected())
        throw EIdClosedSocket(IdRS::StatusDisconnected);
    return binding_.Send(buffer, length);
}
