#include "net/ConnectThread.h"

#include "net/NetComponent.h"
#include "net/NetMessages.h"
#include "net/SocketErrors.h"
#include "net/SocketHandle.h"
#include "net/TcpConnection.h"

#include <algorithm>
#include <chrono>

namespace {

constexpr std::chrono::milliseconds Slice{125};

} // namespace

TConnectThread::TConnectThread(TSocketHandle& socket) : socket_(socket)
{
    thread_ = std::thread([this, &stack = SocketStack(), handle = socket.Handle(), ip = socket.PeerIP, port = socket.PeerPort] {
        int error = 0;
        std::exception_ptr failure;
        try {
            if (stack.Connect(handle, ip, port) == SocketCallFailed)
                error = stack.LastCallError();
        } catch (...) {
            failure = std::current_exception();
        }
        const std::lock_guard<std::mutex> guard(lock_);
        error_ = error;
        failure_ = failure;
        done_ = true;
        finished_.notify_one();
    });
}

TConnectThread::~TConnectThread()
{
    if (thread_.joinable())
        BreakOff();
}

void TConnectThread::BreakOff()
{
    // Shutting the socket down wakes a blocked connect on POSIX, closing it does on Winsock.
    socket_.Shutdown(ShutdownSide::Both);
    socket_.CloseSocket();
    thread_.join();
}

void TConnectThread::WaitFor(int timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout);
    bool done;
    {
        std::unique_lock<std::mutex> guard(lock_);
        for (;;) {
            if (done_)
                break;
            const auto now = std::chrono::steady_clock::now();
            if (timeout == UnlimitedTimeout)
                finished_.wait_for(guard, Slice);
            else if (now < deadline)
                finished_.wait_for(guard, std::min<std::chrono::steady_clock::duration>(Slice, deadline - now));
            else
                break;
        }
        done = done_;
    }
    if (!done) {
        BreakOff();
        throw EConnectTimeout(NetMessages::ConnectTimeout);
    }
    thread_.join();
    if (failure_)
        std::rethrow_exception(failure_);
    // 10009 and 10038 only come from a socket closed under the thread.
    if (error_ != 0 && error_ != WinsockError::BadFileNumber && error_ != WinsockError::NotASocket)
        throw EConnectError(TSocketStack::SocketErrorMessage(error_));
}
