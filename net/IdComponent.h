#pragma once

#include <functional>
#include <string>

class TIdStack;

enum class TIdStatus { hsResolving, hsConnecting, hsConnected, hsDisconnecting, hsDisconnected, hsStatusText };

// The root of the network components. The process's socket interface lives from the creation
// of the first component to the destruction of the last one.
class TIdComponent {
public:
    TIdComponent();
    virtual ~TIdComponent();
    TIdComponent(const TIdComponent&) = delete;
    TIdComponent& operator=(const TIdComponent&) = delete;

    // Optional status listener; the program installs none.
    std::function<void(TIdComponent& sender, TIdStatus status, const std::string& text)> OnStatus;

protected:
    void DoStatus(TIdStatus status, const std::string& text = {});
};

// The socket interface shared by all components; valid while at least one component exists.
TIdStack& GStack();
