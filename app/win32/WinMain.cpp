// Entry of the Windows program: the library search, sockets, COM, the two windows, the event loop.
#include "app/Messages.h"
#include "app/SystemOperations.h"
#include "app/win32/ApplicationWindow.h"
#include "app/win32/Form1Window.h"
#include "app/win32/Form2Window.h"
#include "app/win32/MessageLoop.h"
#include "base/ErrorBox.h"
#include "base/SystemLibrary.h"
#include "net/SocketStack.h"
#include "wmi/ComApartment.h"

#include <windows.h>
#include <commctrl.h>

#include <exception>

namespace {

int ShowStartError(const char* message)
{
    MessageBoxA(nullptr, ErrorBoxMessage(message).c_str(), Messages::ApplicationTitle, MB_OK | MB_ICONERROR);
    return 1;
}

int Run(HINSTANCE instance)
{
    StartSocketInterface();
    ComApartment com;

    INITCOMMONCONTROLSEX controls {sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);

    ApplicationWindow application(instance);
    SystemOperations operations;
    Form1Window form1(instance, application.Handle(), operations.Operations(), QM_UPLOAD_URL);
    application.SetMainWindow(form1.Handle());
    operations.Loaded();
    Form2Window form2(instance, form1.Handle());
    form1.SetPreview(form2);

    form1.Show();
    return RunMessageLoop(form1);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    RestrictLibrarySearchToSystem();
    try {
        return Run(instance);
    } catch (const std::exception& e) {
        return ShowStartError(e.what());
    }
}
