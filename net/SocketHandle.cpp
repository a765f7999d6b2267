#include "net/SocketHandle.h"

#include "base/Format.h"
#include "net/NetComponent.h"
#include "net/NetMessages.h"
#include "net/SocketErrors.h"

TSocketHandle::~TSocketHandle()
{
    CloseSocket();
}

void TSocketHandle::AllocateSocket()
{
    CloseSocket();
    handle_ = SocketStack().OpenSocket();
    if (handle_ == NoPlatformSocket)
        throw EInvalidSocket(NetMessages::CannotAllocateSocket);
}

void TSocketHandle::Bind()
{
    TSocketStack& stack = SocketStack();
    if (Port == 0 && ClientPortMin != 0 && ClientPortMax != 0) {
        if (ClientPortMin > ClientPortMax)
            throw EInvalidPortRange(Format(NetMessages::InvalidPortRange, ClientPortMin, ClientPortMax));
        for (int port = ClientPortMin; port <= ClientPortMax; ++port) {
            if (stack.Bind(handle_, IP, port) != SocketCallFailed) {
                Port = port;
                return;
            }
        }
        throw ECannotBindInPortRange(Format(NetMessages::CannotBindInPortRange, ClientPortMin, ClientPortMax));
    }
    if (stack.RaiseOnSocketError(stack.Bind(handle_, IP, Port), {WinsockError::AddressInUse}) == SocketCallFailed)
        throw ECouldNotBindSocket(NetMessages::CouldNotBindSocket);
}

void TSocketHandle::Connect()
{
    SocketStack().RaiseOnSocketError(SocketStack().Connect(handle_, PeerIP, PeerPort));
}

void TSocketHandle::SetPeer(const std::string& ip, int port)
{
    PeerIP = ip;
    PeerPort = port;
}

void TSocketHandle::SetNoDelay()
{
    SocketStack().RaiseOnSocketError(SocketStack().SetNoDelay(handle_));
}

void TSocketHandle::ReadLocalAddress()
{
    SocketStack().RaiseOnSocketError(SocketStack().GetLocalAddress(handle_, IP, Port));
}

void TSocketHandle::ReadPeerAddress()
{
    SocketStack().RaiseOnSocketError(SocketStack().GetPeerAddress(handle_, PeerIP, PeerPort));
}

bool TSocketHandle::Readable(int timeoutMs)
{
    return SocketStack().RaiseOnSocketError(SocketStack().WaitReadable(handle_, timeoutMs)) > 0;
}

int TSocketHandle::Recv(void* buffer, int length)
{
    return SocketStack().Receive(handle_, buffer, length);
}

int TSocketHandle::Send(const void* buffer, int length)
{
    return SocketStack().Send(handle_, buffer, length);
}

void TSocketHandle::Shutdown(ShutdownSide how)
{
    if (HandleAllocated())
        SocketStack().Shutdown(handle_, how);
}

void TSocketHandle::CloseSocket()
{
    if (!HandleAllocated())
        return;
    SocketStack().Shutdown(handle_, ShutdownSide::Sending);
    SocketStack().CloseSocket(handle_);
    handle_ = NoPlatformSocket;
}

void TSocketHandle::Reset()
{
    CloseSocket();
    IP.clear();
    Port = 0;
    PeerIP.clear();
    PeerPort = 0;
}
