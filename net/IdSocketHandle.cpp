#include "net/IdSocketHandle.h"

#include "base/Format.h"
#include "net/IdComponent.h"
#include "net/IdResourceStrings.h"
#include "net/IdSocketExceptions.h"

TIdSocketHandle::~TIdSocketHandle()
{
    CloseSocket();
}

void TIdSocketHandle::AllocateSocket()
{
    CloseSocket();
    handle_ = GStack().WSSocket();
    if (handle_ == Id_INVALID_SOCKET)
        throw EIdInvalidSocket(IdRS::CannotAllocateSocket);
}

void TIdSocketHandle::Bind()
{
    TIdStack& stack = GStack();
    if (Port == 0 && ClientPortMin != 0 && ClientPortMax != 0) {
        if (ClientPortMin > ClientPortMax)
            throw EIdInvalidPortRange(Format(IdRS::InvalidPortRange, ClientPortMin, ClientPortMax));
        for (int port = ClientPortMin; port <= ClientPortMax; ++port) {
            if (stack.WSBind(handle_, IP, port) != Id_SOCKET_ERROR) {
                Port = port;
                return;
            }
        }
        throw EIdCanNotBindPortInRange(Format(IdRS::CannotBindRange, ClientPortMin, ClientPortMax));
    }
    if (stack.CheckForSocketError(stack.WSBind(handle_, IP, Port), {Id_WSAEADDRINUSE}) == Id_SOCKET_ERROR)
        throw EIdCouldNotBindSocket(IdRS::CouldNotBindSocket);
}

void TIdSocketHandle::Connect()
{
    GStack().CheckForSocketError(GStack().WSConnect(handle_, PeerIP, PeerPort));
}

void TIdSocketHandle::SetPeer(const std::string& ip, int port)
{
    PeerIP = ip;
    PeerPort = port;
}

void TIdSocketHandle::SetNoDelay()
{
    GStack().CheckForSocketError(GStack().WSSetNoDelay(handle_));
}

void TIdSocketHandle::UpdateBindingLocal()
{
    GStack().CheckForSocketError(GStack().WSGetSockName(handle_, IP, Port));
}

void TIdSocketHandle::UpdateBindingPeer()
{
    GStack().CheckForSocketError(GStack().WSGetPeerName(handle_, PeerIP, PeerPort));
}

bool TIdSocketHandle::Readable(int timeoutMs)
{
    return GStack().CheckForSocketError(GStack().WSSelectRead(handle_, timeoutMs)) > 0;
}

int TIdSocketHandle::Recv(void* buffer, int length)
{
    return GStack().WSRecv(handle_, buffer, length);
}

int TIdSocketHandle::Send(const void* buffer, int length)
{
    return GStack().WSSend(handle_, buffer, length);
}

void TIdSocketHandle::Shutdown(TIdShutdownHow how)
{
    if (HandleAllocated())
        GStack().WSShutdown(handle_, how);
}

void TIdSocketHandle::CloseSocket()
{
    if (!HandleAllocated())
        return;
    GStack().WSShutdown(handle_, TIdShutdownHow::Send);
    GStack().WSCloseSocket(handle_);
    handle_ = Id_INVALID_SOCKET;
}

void TIdSocketHandle::Reset()
{
    CloseSocket();
    IP.clear();
    Port = 0;
    PeerIP.clear();
    PeerPort = 0;
}
