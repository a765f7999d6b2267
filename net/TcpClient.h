#pragma once

#include "net/TcpConnection.h"

#include <functional>
#include <string>

// A connection that opens itself to Host and Port.
class TTcpClient : public TTcpConnection {
public:
    // timeout -1 or 0: a plain blocking connect; -2: on a connect thread without limit; else
    // milliseconds on a connect thread, then EConnectTimeout.
    virtual void Connect(int timeout = DefaultTimeout);

    std::string Host;
    int Port = 0;
    std::string BindAddress;
    int BindPort = 0;
    int BindPortMin = 0;
    int BindPortMax = 0;
    std::function<void(TTcpClient& sender)> OnConnected;
};
