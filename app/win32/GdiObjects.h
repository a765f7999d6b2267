#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

// Owners of the GDI and window handles the views create, so each is released on every way out.
struct GdiObjectDeleter {
    void operator()(void* object) const { DeleteObject(static_cast<HGDIOBJ>(object)); }
};
template <class Handle>
using GdiObject = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter>;

struct WindowDeleter {
    void operator()(HWND window) const
    {
        if (IsWindow(window))
            DestroyWindow(window);
    }
};
using WindowHandle = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDeleter>;

// The screen's device context, borrowed for as long as the object lives.
class ScreenDc {
public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() { ReleaseDC(nullptr, dc_); }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

// A memory device context with one object selected into it; the previous selection is put back
// before the context goes.
class MemoryDc {
public:
    MemoryDc(HDC compatible, HGDIOBJ selected) : dc_(CreateCompatibleDC(compatible)), previous_(SelectObject(dc_, selected)) {}
    ~MemoryDc()
    {
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};
