#include "app/win32/ProgramWindows.h"

#include "app/win32/Form1Window.h"
#include "app/win32/Form2Window.h"
#include "app/win32/MessageLoop.h"

#include <commctrl.h>

void StartCommonControls()
{
    INITCOMMONCONTROLSEX controls {sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
}

int RunMainWindows(HINSTANCE instance, ApplicationWindow& application, RunOperations operations,
                   const std::string& uploadURL, const std::function<void()>& created)
{
    Form1Window form1(instance, application.Handle(), std::move(operations), uploadURL);
    application.SetMainWindow(form1.Handle());
    created();
    Form2Window form2(instance, form1.Handle());
    form1.SetPreview(form2);
    form1.Show();
    return RunMessageLoop(form1);
}
