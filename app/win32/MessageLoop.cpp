#include "app/win32/MessageLoop.h"

#include "app/win32/Form1Window.h"

int RunMessageLoop(Form1Window& mainWindow)
{
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        mainWindow.PreviewKey(message);
        HWND window = mainWindow.Handle();
        if (IsWindow(window) && IsDialogMessageA(window, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
