// The Windows program's windows over stored drives (StoredDriveOperations.h), for the README's
// pictures; built for the picture run only, never part of the product.
// usage: stored-drives-window BLOB...   (one skdump --save file per disk, disk 0 first)
#include "tests/e2e/StoredDriveOperations.h"

#include "app/win32/ApplicationWindow.h"
#include "app/win32/Form1Window.h"
#include "app/win32/Form2Window.h"
#include "app/win32/MessageLoop.h"
#include "base/SystemLibrary.h"
#include "net/SocketStack.h"
#include "wmi/ComApartment.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <exception>

namespace {

int Run(HINSTANCE instance, const std::vector<std::string>& blobFiles)
{
    StartSocketInterface();
    ComApartment com;
    INITCOMMONCONTROLSEX controls {sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);

    StoredDriveOperations operations(blobFiles);
    ApplicationWindow application(instance);
    Form1Window form1(instance, application.Handle(), operations.Operations(), QM_UPLOAD_URL);
    application.SetMainWindow(form1.Handle());
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
        return Run(instance, std::vector<std::string>(__argv + 1, __argv + __argc));
    } catch (const std::exception& e) {
        MessageBoxA(nullptr, e.what(), "stored-drives-window", MB_OK | MB_ICONERROR);
        return 1;
    }
}
