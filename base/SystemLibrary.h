#pragma once

// The program runs with administrator rights from folders others may write to (a Downloads
// folder, a shared drive), so a library it loads by name must never come from the program's own
// folder, the current directory or PATH: only from the system folder.

// Narrows the library search of the whole process, the system's own libraries' loads included,
// to the system folder and takes the current directory out of it. The first call of every
// Windows main; nothing to narrow where libraries are not looked up that way.
void RestrictLibrarySearchToSystem();

// Windows: the module handle of the library of that file name ("ws2_32.dll"), loaded from the
// system folder only; null when it cannot be loaded, with the system's reason as the last error.
void* LoadSystemLibrary(const char* fileName);

// A library loaded from the system folder (LoadSystemLibrary), freed when the object goes; the
// one owner of every library the Windows back ends load at run time. Windows only.
class TSystemLibrary {
public:
    explicit TSystemLibrary(const char* fileName);
    ~TSystemLibrary();
    TSystemLibrary(const TSystemLibrary&) = delete;
    TSystemLibrary& operator=(const TSystemLibrary&) = delete;

    // False when the library could not be loaded; the last error then says why.
    bool Loaded() const { return module_ != nullptr; }

    // The entry of that name as a function of type Fn; null when the library is not loaded or
    // lacks the entry (the last error then says why).
    template <typename Fn>
    Fn Entry(const char* name) const
    {
        return reinterpret_cast<Fn>(EntryAddress(name));
    }

private:
    using EntryPoint = void (*)();
    EntryPoint EntryAddress(const char* name) const;

    void* module_;
};
