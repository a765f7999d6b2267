// qm-smart-run: the whole test run of the window on a terminal, for machines without a display.
// See ConsoleUsage for what it prints and its exit statuses. The environment variable
// QM_UPLOAD_READ_TIMEOUT (milliseconds) shortens or lengthens the upload's wait for the server.

#include "app/ConsoleOptions.h"
#include "app/ConsoleRun.h"
#include "app/ConsoleRunInterruption.h"
#include "app/SystemOperations.h"
#include "base/ErrorBox.h"
#include "base/StandardError.h"
#include "base/StandardOutput.h"
#include "base/SystemLibrary.h"
#include "base/Text.h"
#include "net/SocketStack.h"
#include "tools/ReadTimeoutSetting.h"
#include "tools/ToolErrors.h"
#include "wmi/ComApartment.h"

#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace {

// The entries as the window would hold them: CP1252. Windows hands the arguments over in its
// ANSI code page already; a Linux terminal speaks UTF-8.
std::string EntryText(const char* argument)
{
#ifdef _WIN32
    return argument;
#else
    return Utf8ToCp1252(argument);
#endif
}

int Run(const ConsoleOptions& options, int readTimeout)
{
    StartSocketInterface();
    const ComApartment apartment;
    // The back ends outlive the run that works with them.
    SystemOperations system;
    system.Loaded();
    system.SetUploadReadTimeout(readTimeout);
    return RunFromConsole(options, system.Operations(), {WriteStandardOutput, WriteStandardError});
}

int RunFromCommandLine(int argc, char** argv)
{
    std::vector<std::string> arguments;
    for (int k = 1; k < argc; ++k)
        arguments.push_back(EntryText(argv[k]));

    ConsoleOptions options;
    try {
        options = ParseConsoleOptions(arguments, QM_UPLOAD_URL);
    } catch (const EConsoleUsage& e) {
        WriteStandardError("qm-smart-run: " + e.Message + "\n" + ConsoleUsageLine() + "Try \"qm-smart-run --help\".\n");
        return ConsoleRefused;
    }
    if (options.Help)
        return WriteStandardOutput(ConsoleUsage(QM_UPLOAD_URL)) ? ConsoleAccepted : ConsoleFailed;

    const std::optional<int> readTimeout = UploadReadTimeoutSetting();
    if (!readTimeout) {
        WriteStandardError(std::string("qm-smart-run: ") + UploadReadTimeoutRefused + "\n");
        return ConsoleRefused;
    }
    try {
        return Run(options, *readTimeout);
    } catch (const std::exception& e) {
        // Start-up failures: the socket library, COM.
        WriteStandardError(ErrorBoxMessage(e.what()) + "\n");
        return ConsoleFailed;
    }
}

} // namespace

int main(int argc, char** argv)
{
    RestrictLibrarySearchToSystem();
    EndRunOnInterruption();
    return ReportingErrors("qm-smart-run", [&] { return RunFromCommandLine(argc, argv); });
}
