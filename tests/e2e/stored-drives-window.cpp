// The Windows program's windows over stored drives (StoredDriveOperations.h), for the README's
// pictures; built for the picture run only, never part of the product.
// usage: stored-drives-window BLOB...   (one skdump --save file per disk, disk 0 first)
#include "tests/e2e/StoredDriveOperations.h"

#include "app/win32/ProgramWindows.h"
#include "base/SystemLibrary.h"

#include <windows.h>

#include <exception>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    RestrictLibrarySearchToSystem();
    try {
        return RunProgramWindows<StoredDriveOperations>(instance, QM_UPLOAD_URL,
                                                        std::vector<std::string>(__argv + 1, __argv + __argc));
    } catch (const std::exception& e) {
        MessageBoxA(nullptr, e.what(), "stored-drives-window", MB_OK | MB_ICONERROR);
        return 1;
    }
}
