#include "net/TcpClient.h"

#include "net/NetMessages.h"
#include "net/SocketErrors.h"
#include "net/SocketStack.h"
#include "net/ConnectThread.h"
#include "net/SocketIOHandler.h"

void TTcpClient::Connect(int timeout)
{
    if (!ioHandler_) {
        ioHandler_ = std::make_unique<TSocketIOHandler>();
        ioHandlerPerConnection_ = true;
    } else if (ioHandler_->Connected())
        throw EAlreadyConnected(NetMessages::AlreadyConnected);

    TSocketHandle& socket = ioHandler_->Socket();
    socket.Reset();
    inputBuffer_.Clear();
    closedGracefully_ = false;

    socket.AllocateSocket();
    try {
        socket.IP = BindAddress;
        socket.Port = BindPort;
        socket.ClientPortMin = BindPortMin;
        socket.ClientPortMax = BindPortMax;
        socket.Bind();

        if (TSocketStack::NeedsLookup(Host))
            ReportStatus(TConnectionStatus::hsResolving, Host);
        socket.SetPeer(SocketStack().ResolveHost(Host), Port);
        ioHandler_->PrepareSocket();

        ReportStatus(TConnectionStatus::hsConnecting, socket.PeerIP);
        if (timeout == DefaultTimeout || timeout == 0)
            socket.Connect();
        else
            TConnectThread(socket).WaitFor(timeout);
        socket.ReadLocalAddress();
        socket.ReadPeerAddress();
        ioHandler_->StartSession(Host);
    } catch (...) {
        ioHandler_->Close();
        throw;
    }
    ReportStatus(TConnectionStatus::hsConnected);
    if (OnConnected)
        OnConnected(*this);
}
