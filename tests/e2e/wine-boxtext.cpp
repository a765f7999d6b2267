// Prints the texts of a message box on screen, for the end-to-end run under Wine, which cannot
// read a window's text from the X side. Waits up to 60 seconds for a visible top-level window
// with the given caption, then prints each of its static texts on a line; exit code 1 when no
// such window came up.
// usage: wine-boxtext CAPTION
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct Search {
    const char* Caption;
    HWND Found = nullptr;
};

BOOL CALLBACK FindBox(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<Search*>(parameter);
    char caption[256] {};
    GetWindowTextA(window, caption, sizeof(caption));
    if (IsWindowVisible(window) && std::string(caption) == search->Caption) {
        search->Found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK PrintStatic(HWND window, LPARAM)
{
    char className[64] {};
    GetClassNameA(window, className, sizeof(className));
    char text[4096] {};
    GetWindowTextA(window, text, sizeof(text));
    if (lstrcmpiA(className, "Static") == 0 && text[0])
        std::printf("%s\n", text);
    return TRUE;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: wine-boxtext CAPTION\n");
        return 2;
    }
    Search search {argv[1]};
    for (int i = 0; i < 600 && !search.Found; ++i) {
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        if (!search.Found)
            Sleep(100);
    }
    if (!search.Found)
        return 1;
    EnumChildWindows(search.Found, PrintStatic, 0);
    return 0;
}
