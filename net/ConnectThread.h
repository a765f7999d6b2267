#pragma once

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

class TSocketHandle;

// Connects a socket to its peer on a thread of its own, so the caller can give up after a
// time-out. The thread works on copies of the handle and the peer: the socket may be closed
// under it.
class TConnectThread {
public:
    // Starts connecting.
    explicit TConnectThread(TSocketHandle& socket);
    // Breaks off a connect still running and waits for the thread.
    ~TConnectThread();
    TConnectThread(const TConnectThread&) = delete;
    TConnectThread& operator=(const TConnectThread&) = delete;

    // Waits in slices of 125 ms, at most timeout milliseconds (UnlimitedTimeout: no limit).
    // Raises EConnectTimeout when the time passes first (the connect is broken off and the
    // socket closed) and EConnectError when the connect fails.
    void WaitFor(int timeout);

private:
    // Shuts the socket down and closes it, which wakes a blocked connect, then joins.
    void BreakOff();

    TSocketHandle& socket_;
    std::mutex lock_;
    std::condition_variable finished_;
    bool done_ = false;
    int error_ = 0;
    std::exception_ptr failure_;
    std::thread thread_;
};
