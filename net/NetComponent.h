#pragma once

#include <functional>
#include <string>

class TSocketStack;

enum class TConnectionStatus { hsResolving, hsConnecting, hsConnected, hsDisconnecting, hsDisconnected, hsStatusText };

// The root of the network components. The process's socket interface lives from the creation
// of the first component to the destruction of the last one.
class TNetComponent {
public:
    TNetComponent();
    virtual ~TNetComponent();
    TNetComponent(const TNetComponent&) = delete;
    TNetComponent& operator=(const TNetComponent&) = delete;

    // Optional status listener; the program installs none.
    std::function<void(TNetComponent& sender, TConnectionStatus status, const std::string& text)> OnStatus;

protected:
    void ReportStatus(TConnectionStatus status, const std::string& text = {});
};

// The socket interface shared by all components; valid while at least one component exists.
TSocketStack& SocketStack();
