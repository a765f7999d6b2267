#include "app/win32/WindowClass.h"

void RegisterWindowClassOnce(HINSTANCE instance, const char* name, WNDPROC procedure, HICON icon, HBRUSH background)
{
    WNDCLASSEXA windowClass {};
    if (GetClassInfoExA(instance, name, &windowClass))
        return;
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    RegisterClassExA(&windowClass);
}
