#pragma once

#include "app/RunOperations.h"
#include "app/win32/ApplicationWindow.h"
#include "net/SocketStack.h"
#include "wmi/ComApartment.h"

#include <functional>
#include <string>

// The common controls the main window is made of: its labels, edits, buttons, status line and
// spin buttons.
void StartCommonControls();

// The main window over the operations, owned by the application window, and its preview: shows
// the main window (its show step first) and runs the message loop until it closes. created runs
// once the main window exists, before the preview is made. Returns the loop's exit code.
int RunMainWindows(HINSTANCE instance, ApplicationWindow& application, RunOperations operations,
                   const std::string& uploadURL, const std::function<void()>& created);

// The program's windows, started in this order: the socket interface, COM on this thread, the
// common controls, the application window that carries the task-bar button, then the back ends
// (an Operations made from the arguments), so the button is up while they start, and last the
// main window and its preview. Operations that keep the window's stored settings (Loaded) take
// them once the main window exists. Returns the message loop's exit code.
template <class Operations, class... Arguments>
int RunProgramWindows(HINSTANCE instance, const std::string& uploadURL, const Arguments&... arguments)
{
    StartSocketInterface();
    ComApartment com;
    StartCommonControls();
    ApplicationWindow application(instance);
    Operations operations(arguments...);
    return RunMainWindows(instance, application, operations.Operations(), uploadURL, [&operations] {
        if constexpr (requires { operations.Loaded(); })
            operations.Loaded();
    });
}
