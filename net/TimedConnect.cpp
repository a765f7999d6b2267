#include "net/TimedConnect.h"

#include "net/NetMessages.h"
#include "net/SocketErrors.h"
#include "net/SocketHandle.h"
#include "net/NetComponent.h"
#include "net/TcpConnection.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace {

constexpr std::chrono::milliseconds Slice{125};

// The connect thread's outcome, shared with the waiting caller.
struct TConnectOutcome {
    std::mutex lock;
    std::condition_variable finished;
    bool done = false;
    int error = 0;
    std::exception_ptr failure;
};

} // namespace

void ConnectWithTimeout(TSocketHandle& socket, int timeout)
{
    TConnectOutcome outcome;
    // The thread works on copies: the socket may be closed under it.
    std::thread thread([&outcome, &stack = SocketStack(), handle = socket.Handle(), ip = socket.PeerIP, port = socket.PeerPort] {
        int error = 0;
        std::exception_ptr failure;
        try {
            if (stack.Connect(handle, ip, port) == SocketCallFailed)
                error = stack.LastCallError();
        } catch (...) {
            failure = std::current_exception();
        }
        const std::lock_guard<std::mutex> guard(outcome.lock);
        outcome.error = error;
        outcome.failure = failure;
        outcome.done = true;
        outcome.finished.notify_one();
    });

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout);
    bool done;
    {
        std::unique_lock<std::mutex> guard(outcome.lock);
        for (;;) {
            if (outcome.done)
                break;
            const auto now = std::chrono::steady_clock::now();
            if (timeout == UnlimitedTimeout)
                outcome.finished.wait_for(guard, Slice);
            else if (now < deadline)
                outcome.finished.wait_for(guard, std::min<std::chrono::steady_clock::duration>(Slice, deadline - now));
            else
                break;
        }
        done = outcome.done;
    }
    if (!done) {
        // Shutting the socket down wakes a blocked connect on POSIX, closing it does on Winsock.
        socket.Shutdown(ShutdownSide::Both);
        socket.CloseSocket();
        thread.join();
        throw EConnectTimeout(NetMessages::ConnectTimeout);
    }
    thread.join();
    if (outcome.failure)
        std::rethrow_exception(outcome.failure);
    // 10009 and 10038 only come from a socket closed under the thread.
    if (outcome.error != 0 && outcome.error != WinsockError::BadFileNumber && outcome.error != WinsockError::NotASocket)
        throw EConnectError(TSocketStack::SocketErrorMessage(outcome.error));
}
