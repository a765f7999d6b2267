#include "app/ConsoleRunInterruption.h"

#include "app/ConsoleRun.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace {

// What the handler reads: only a fixed buffer and a flag, as a signal may arrive anywhere.
char heldFileName[4096];
volatile std::sig_atomic_t fileHeld = 0;

constexpr char InterruptedMessage[] = "qm-smart-run: interrupted; no report file is left\n";

extern "C" void EndInterruptedRun(int)
{
    if (fileHeld)
        ::unlink(heldFileName);
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, InterruptedMessage, sizeof InterruptedMessage - 1);
    ::_exit(ConsoleFailed);
}

} // namespace

void EndRunOnInterruption()
{
    struct sigaction action {};
    action.sa_handler = EndInterruptedRun;
    sigfillset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        // A signal the run was started to ignore (nohup, a background job of a script) stays
        // ignored: whoever started it asked for the run to go on.
        struct sigaction inherited {};
        if (::sigaction(signal, nullptr, &inherited) == 0 && inherited.sa_handler != SIG_IGN)
            ::sigaction(signal, &action, nullptr);
    }
    ::signal(SIGPIPE, SIG_IGN);
}

InterruptibleReportFile::InterruptibleReportFile(const std::string& fileName)
{
    // A name that does not fit is longer than any the system creates: the save itself fails.
    if (fileName.size() >= sizeof heldFileName)
        return;
    std::memcpy(heldFileName, fileName.c_str(), fileName.size() + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    fileHeld = 1;
}

InterruptibleReportFile::~InterruptibleReportFile()
{
    fileHeld = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
}
