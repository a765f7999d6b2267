#include "net/IdConnectThread.h"

#include "net/IdResourceStrings.h"
#include "net/IdSocketExceptions.h"
#include "net/IdSocketHandle.h"
#include "net/IdComponent.h"
#include "net/IdTCPConnection.h"

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

void ConnectWithTimeout(TIdSocketHandle& binding, int timeout)
{
    TConnectOutcome outcome;
    // The thread works on copies: the binding may be closed under it.
    std::thread thread([&outcome, &stack = GStack(), handle = binding.Handle(), ip = binding.PeerIP, port = binding.PeerPort] {
        int error = 0;
        std::exception_ptr failure;
        try {
            if (stack.WSConnect(handle, ip, port) == Id_SOCKET_ERROR)
                error = stack.WSGetLastError();
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
            if (timeout == IdTimeoutInfinite)
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
        binding.Shutdown(TIdShutdownHow::Both);
        binding.CloseSocket();
        thread.join();
        throw EIdConnectTimeout(IdRS::ConnectTimeout);
    }
    thread.join();
    if (outcome.failure)
        std::rethrow_exception(outcome.failure);
    // 10009 and 10038 only come from a socket closed under the thread.
    if (outcome.error != 0 && outcome.error != Id_WSAEBADF && outcome.error != Id_WSAENOTSOCK)
        throw EIdConnectException(TIdStack::WSTranslateSocketErrorMsg(outcome.error));
}
