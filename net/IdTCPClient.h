#pragma once

#include "net/IdTCPConnection.h"

#include <functional>
#include <string>

// A connection that opens itself to Host and Port.
class TIdTCPClient : public TIdTCPConnection {
public:
    // timeout -1 or 0: a plain blocking connect; -2: on a connect thread without limit; else
    // milliseconds on a connect thread, then EIdConnectTimeout.
    virtual void Connect(int timeout = IdTimeoutDefault);

    std::string Host;
    int Port = 0;
    std::string BoundIP;
    int BoundPort = 0;
    int BoundPortMin = 0;
    int BoundPortMax = 0;
    std::function<void(TIdTCPClient& sender)> OnConnected;
};
