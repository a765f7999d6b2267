// A library someone plants under a system library's name: loaded, it leaves the file
// "planted-library-loaded" in its own folder, and does nothing else.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    while (length > 0 && path[length - 1] != '\\')
        --length;
    constexpr char marker[] = "planted-library-loaded";
    if (length + sizeof marker <= MAX_PATH) {
        CopyMemory(path + length, marker, sizeof marker);
        CloseHandle(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    return TRUE;
}
