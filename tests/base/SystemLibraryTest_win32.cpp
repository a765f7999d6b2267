#include "base/SystemLibrary.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

constexpr const char* Marker = "planted-library-loaded";

bool Exists(const char* name)
{
    return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
}

std::string ModuleFolder(HMODULE module)
{
    char path[MAX_PATH] {};
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    const std::string file(path, length);
    return file.substr(0, file.find_last_of('\\'));
}

std::string SystemFolder()
{
    char folder[MAX_PATH] {};
    return std::string(folder, GetSystemDirectoryA(folder, MAX_PATH));
}

// The planted library copied under the given name into the current folder, which is also the
// test program's own folder; removed, with what it recorded, when the object goes.
class PlantedLibrary {
public:
    explicit PlantedLibrary(const char* name) : name_(name)
    {
        planted_ = CopyFileA(QM_PLANTED_LIBRARY, name, FALSE) != 0;
    }
    ~PlantedLibrary()
    {
        DeleteFileA(name_);
        DeleteFileA(Marker);
    }
    PlantedLibrary(const PlantedLibrary&) = delete;
    PlantedLibrary& operator=(const PlantedLibrary&) = delete;

    bool Planted() const { return planted_; }

private:
    const char* name_;
    bool planted_;
};

class Module {
public:
    explicit Module(void* handle) : handle_(static_cast<HMODULE>(handle)) {}
    ~Module()
    {
        if (handle_ != nullptr)
            FreeLibrary(handle_);
    }
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    HMODULE Handle() const { return handle_; }

private:
    HMODULE handle_;
};

} // namespace

// A library of a system name beside the program is never the one loaded: the system's own is.
TEST(SystemLibrary, ASystemNameLoadsTheSystemFoldersLibrary)
{
    const PlantedLibrary planted("ws2_32.dll");
    ASSERT_TRUE(planted.Planted());
    const Module ws2(LoadSystemLibrary("ws2_32.dll"));
    ASSERT_NE(ws2.Handle(), nullptr);
    EXPECT_EQ(lstrcmpiA(ModuleFolder(ws2.Handle()).c_str(), SystemFolder().c_str()), 0) << ModuleFolder(ws2.Handle());
    EXPECT_NE(GetProcAddress(ws2.Handle(), "WSAStartup"), nullptr);
    EXPECT_FALSE(Exists(Marker));
}

// A library the system folder does not hold is not loaded at all, however near it lies; and
// once the process's search is narrowed, a plain load by name finds it no more either.
TEST(SystemLibrary, ALibraryOnlyBesideTheProgramIsNeverLoaded)
{
    const PlantedLibrary planted("qm-planted.dll");
    ASSERT_TRUE(planted.Planted());
    const Module byHelper(LoadSystemLibrary("qm-planted.dll"));
    const DWORD reason = GetLastError();
    EXPECT_EQ(byHelper.Handle(), nullptr);
    EXPECT_EQ(reason, static_cast<DWORD>(ERROR_MOD_NOT_FOUND));

    RestrictLibrarySearchToSystem();
    const Module byName(LoadLibraryA("qm-planted.dll"));
    EXPECT_EQ(byName.Handle(), nullptr);
    EXPECT_FALSE(Exists(Marker));
}
