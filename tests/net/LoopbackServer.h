#pragma once

#include "TestSocket.h"

#include <functional>
#include <string>
#include <thread>
#include <vector>

// One request as the peer received it.
struct TRequest {
    std::string Head;  // up to and including the empty line
    std::string Body;  // Content-Length bytes
};

// What one connection brought.
struct TConnectionLog {
    std::string Raw;
    std::vector<TRequest> Requests;
    bool ClientClosed = false;
};

// The server's side of one connection, driven by a script. Every wait ends after 10 s.
class TPeer {
public:
    explicit TPeer(testnet::Socket socket) : socket_(socket) {}
    ~TPeer();
    TPeer(const TPeer&) = delete;
    TPeer& operator=(const TPeer&) = delete;

    // Reads one request: its head and a body of its Content-Length. False when none came.
    bool ReadRequest();
    // Reads until the client closes; true when it did.
    bool ReadToClose();
    // False when the client no longer takes bytes (it closed or went away).
    bool Send(const std::string& bytes);
    // Ends the connection from this side.
    void Close();

    TConnectionLog Log;

private:
    // Receives once more; false at a close, an error or the time limit.
    bool ReceiveMore();

    testnet::Socket socket_;
    size_t consumed_ = 0;
};

// A scripted peer on 127.0.0.1 with a free port: accepts one connection per script, in order,
// and runs the script on it; stops by itself after the last script or 10 s without a client.
class TLoopbackServer {
public:
    using TScript = std::function<void(TPeer&)>;

    explicit TLoopbackServer(std::vector<TScript> scripts, int backlog = 8);
    ~TLoopbackServer();
    TLoopbackServer(const TLoopbackServer&) = delete;
    TLoopbackServer& operator=(const TLoopbackServer&) = delete;

    int Port() const { return port_; }
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
    // Waits for the scripts to end and gives what each connection brought.
    const std::vector<TConnectionLog>& Logs();

private:
    void Stop();

    testnet::Socket listener_ = testnet::NoSocket;
    int port_ = 0;
    std::vector<TConnectionLog> logs_;
    std::thread thread_;
};

// A script that reads one request and answers with reply, then closes.
TLoopbackServer::TScript Reply(const std::string& reply);
