#include "net/IdTCPClient.h"

#include "net/IdConnectThread.h"
#include "net/IdResourceStrings.h"
#include "net/IdSocketExceptions.h"
#include "net/IdStack.h"

void TIdTCPClient::Connect(int timeout)
{
    if (!ioHandler_)
        ioHandler_ = std::make_unique<TIdIOHandlerSocket>();
    else if (ioHandler_->Connected())
        throw EIdAlreadyConnected(IdRS::AlreadyConnected);

    TIdSocketHandle& binding = ioHandler_->Binding();
    binding.Reset();
    inputBuffer_.Clear();
    closedGracefully_ = false;

    binding.AllocateSocket();
    try {
        binding.IP = BoundIP;
        binding.Port = BoundPort;
        binding.ClientPortMin = BoundPortMin;
        binding.ClientPortMax = BoundPortMax;
        binding.Bind();

        if (TIdStack::NeedsLookup(Host))
            DoStatus(TIdStatus::hsResolving, Host);
        binding.SetPeer(GStack().ResolveHost(Host), Port);
        if (!ioHandler_->UseNagle)
            binding.SetNoDelay();

        DoStatus(TIdStatus::hsConnecting, binding.PeerIP);
        if (timeout == IdTimeoutDefault || timeout == 0)
            binding.Connect();
        else
            ConnectWithTimeout(binding, timeout);
        binding.UpdateBindingLocal();
        binding.UpdateBindingPeer();
    } catch (...) {
        binding.CloseSocket();
        throw;
    }
    DoStatus(TIdStatus::hsConnected);
    if (OnConnected)
        OnConnected(*this);
}
