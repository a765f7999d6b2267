#pragma once

#include <windows.h>

// Registers one of the program's window classes, once: a later call finds it registered.
void RegisterWindowClassOnce(HINSTANCE instance, const char* name, WNDPROC procedure, HICON icon, HBRUSH background);
