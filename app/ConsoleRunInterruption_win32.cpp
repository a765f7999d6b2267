#include "app/ConsoleRunInterruption.h"

#include "app/ConsoleRun.h"

#include <windows.h>

#include <atomic>

namespace {

// The console's events arrive on a thread of their own while the run goes on. The run holds
// this lock while it creates, writes, sends or removes the report; the file is open all that
// time and cannot be removed, so the event waits for the run to let go of it.
CRITICAL_SECTION fileInHand;
std::string heldFileName;
std::atomic<bool> interrupted {false};

constexpr char InterruptedMessage[] = "qm-smart-run: interrupted; no report file is left\n";

BOOL WINAPI EndInterruptedRun(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    interrupted = true;
    EnterCriticalSection(&fileInHand);
    if (!heldFileName.empty())
        DeleteFileA(heldFileName.c_str());
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), InterruptedMessage, sizeof InterruptedMessage - 1, &written, nullptr);
    // The run is stopped where it stands: the exit status is the failure's, and no exit
    // handler runs on a thread that may hold the locks of the output streams.
    TerminateProcess(GetCurrentProcess(), ConsoleFailed);
    return TRUE;
}

bool installed = false;

} // namespace

void EndRunOnInterruption()
{
    InitializeCriticalSection(&fileInHand);
    installed = true;
    SetConsoleCtrlHandler(EndInterruptedRun, TRUE);
}

InterruptibleReportFile::InterruptibleReportFile(const std::string& fileName)
{
    if (!installed)
        return;
    EnterCriticalSection(&fileInHand);
    heldFileName = fileName;
}

InterruptibleReportFile::~InterruptibleReportFile()
{
    if (!installed)
        return;
    // Interrupted while the file was in hand, it goes even when it was to be kept.
    if (!interrupted)
        heldFileName.clear();
    LeaveCriticalSection(&fileInHand);
}
