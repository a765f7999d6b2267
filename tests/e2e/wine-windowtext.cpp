// Reads windows on screen for the end-to-end run under Wine, which cannot read a window's texts
// from the X side.
// usage: wine-windowtext CAPTION [CLASS]
//          waits up to 60 seconds for a visible top-level window with that caption, then prints
//          the text of each of its visible controls of that class (default "Static": the lines of
//          a message box) on a line of its own; exit code 1 when no such window came up
//        wine-windowtext --task-bar
//          prints the title of each window the task bar shows a button for
//        wine-windowtext --centre CAPTION TEXT
//          prints "X Y", the screen point in the middle of the window's visible control with that
//          text, for a click wherever the window's font has placed it
#include "tests/win32/TaskBarButton.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// Asked of the window itself: for another program's window GetWindowText answers only with the
// caption given at creation, never with what was typed into a field since.
std::string TextOf(HWND window)
{
    char text[4096] {};
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 10000,
                        &length);
    return text;
}

// The first visible window (or control) whose text is Text.
struct Search {
    const char* Text;
    HWND Found = nullptr;
};

BOOL CALLBACK FindVisibleByText(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<Search*>(parameter);
    if (IsWindowVisible(window) && TextOf(window) == search->Text) {
        search->Found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK PrintControl(HWND control, LPARAM className)
{
    char actual[64] {};
    GetClassNameA(control, actual, sizeof(actual));
    const std::string text = TextOf(control);
    if (IsWindowVisible(control) && lstrcmpiA(actual, reinterpret_cast<const char*>(className)) == 0 && !text.empty())
        std::printf("%s\n", text.c_str());
    return TRUE;
}

BOOL CALLBACK PrintTaskBarButton(HWND window, LPARAM)
{
    if (HasTaskBarButton(window))
        std::printf("%s\n", TextOf(window).c_str());
    return TRUE;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "--task-bar") {
        EnumWindows(PrintTaskBarButton, 0);
        return 0;
    }
    const bool centre = argc == 4 && std::string(argv[1]) == "--centre";
    if (argc != 2 && argc != 3 && !centre) {
        std::fprintf(stderr, "usage: wine-windowtext CAPTION [CLASS] | wine-windowtext --task-bar | "
                             "wine-windowtext --centre CAPTION TEXT\n");
        return 2;
    }
    const char* className = argc == 3 ? argv[2] : "Static";
    Search search {centre ? argv[2] : argv[1]};
    for (int i = 0; i < 600 && !search.Found; ++i) {
        EnumWindows(FindVisibleByText, reinterpret_cast<LPARAM>(&search));
        if (!search.Found)
            Sleep(100);
    }
    if (!search.Found)
        return 1;
    if (centre) {
        Search control {argv[3]};
        EnumChildWindows(search.Found, FindVisibleByText, reinterpret_cast<LPARAM>(&control));
        RECT place {};
        if (!control.Found || !GetWindowRect(control.Found, &place))
            return 1;
        std::printf("%ld %ld\n", (place.left + place.right) / 2, (place.top + place.bottom) / 2);
        return 0;
    }
    EnumChildWindows(search.Found, PrintControl, reinterpret_cast<LPARAM>(className));
    return 0;
}
