#pragma once

#include <string>

// PHP's built-in web server on 127.0.0.1 with a free port, serving docRoot; the receiver keeps
// its reports under dataFolder. Stopped when the object goes.
class TPhpServer {
public:
    TPhpServer(const std::string& docRoot, const std::string& dataFolder);
    ~TPhpServer();
    TPhpServer(const TPhpServer&) = delete;
    TPhpServer& operator=(const TPhpServer&) = delete;

    // Whether PHP is installed here at all.
    static bool Available();
    // Whether the server answers connections.
    bool Running() const { return running_; }
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

private:
    long process_ = 0;
    int port_ = 0;
    bool running_ = false;
};
