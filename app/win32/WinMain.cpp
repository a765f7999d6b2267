// Entry of the Windows program: the library search, then the program's windows over the system's
// back ends (ProgramWindows.h); what stops the start is shown in an error box.
#include "app/Messages.h"
#include "app/SystemOperations.h"
#include "app/win32/ProgramWindows.h"
#include "base/ErrorBox.h"
#include "base/SystemLibrary.h"

#include <windows.h>

#include <exception>

namespace {

int ShowStartError(const char* message)
{
    MessageBoxA(nullptr, ErrorBoxMessage(message).c_str(), Messages::ApplicationTitle, MB_OK | MB_ICONERROR);
    return 1;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    RestrictLibrarySearchToSystem();
    try {
        return RunProgramWindows<SystemOperations>(instance, QM_UPLOAD_URL);
    } catch (const std::exception& e) {
        return ShowStartError(e.what());
    }
}
