#pragma once

class Form1Window;

// The program's only event loop. Every key press in the main window is shown to the window
// first, then goes on to the focused control, Tab and arrow keys moving between controls.
// Returns the exit code of the quit request.
int RunMessageLoop(Form1Window& mainWindow);
