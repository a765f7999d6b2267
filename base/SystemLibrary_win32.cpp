#include "base/SystemLibrary.h"

#include <windows.h>

#include <string>

namespace {

// Windows 7 and Vista without the loader update know neither SetDefaultDllDirectories nor the
// system-folder search flag; the program still starts there, and loads by full path instead.
using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

std::string SystemFolderPath(const char* fileName)
{
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    return std::string(folder, length) + "\\" + fileName;
}

} // namespace

void RestrictLibrarySearchToSystem()
{
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault != nullptr)
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryA("");
}

void* LoadSystemLibrary(const char* fileName)
{
    HMODULE module = LoadLibraryExA(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr && GetLastError() == ERROR_INVALID_PARAMETER) {
        const std::string path = SystemFolderPath(fileName);
        if (!path.empty())
            module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    return module;
}

TSystemLibrary::TSystemLibrary(const char* fileName) : module_(LoadSystemLibrary(fileName))
{
}

TSystemLibrary::~TSystemLibrary()
{
    if (module_ != nullptr)
        FreeLibrary(static_cast<HMODULE>(module_));
}

TSystemLibrary::EntryPoint TSystemLibrary::EntryAddress(const char* name) const
{
    if (module_ == nullptr)
        return nullptr;
    return reinterpret_cast<EntryPoint>(GetProcAddress(static_cast<HMODULE>(module_), name));
}
