// qm-bench-mapwait: how long a program takes from its start until a window of its is on the
// screen.
//
//   qm-bench-mapwait TITLE TIMEOUT_SECONDS PROGRAM [ARGUMENTS...]
//
// Watches the display's top-level windows before starting the program, so no map can be
// missed, and reacts to the map event itself rather than polling. Prints the milliseconds from
// just before the start until a top-level window titled exactly TITLE is mapped, then ends the
// program (SIGTERM, SIGKILL a second later). Exits 1 when no such window came in time.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

// The window's title: the UTF-8 name toolkits set, else the classic one.
std::string WindowTitle(Display* display, Window window)
{
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count, &after, &data) ==
            Success &&
        data != nullptr) {
        title.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
        if (!title.empty())
            return title;
    }
    char* name = nullptr;
    if (XFetchName(display, window, &name) && name != nullptr) {
        title = name;
        XFree(name);
    }
    return title;
}

bool OnScreen(Display* display, Window window)
{
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

// A window that is gone before it could be looked at is no error here.
int IgnoreErrors(Display*, XErrorEvent*)
{
    return 0;
}

void Stop(pid_t child)
{
    kill(child, SIGTERM);
    for (int k = 0; k < 100; ++k) {
        if (waitpid(child, nullptr, WNOHANG) == child)
            return;
        usleep(10000);
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: qm-bench-mapwait TITLE TIMEOUT_SECONDS PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    const std::string wanted = argv[1];
    const auto limit = std::chrono::milliseconds(static_cast<long>(std::atof(argv[2]) * 1000));
    std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
    if (!display) {
        std::fprintf(stderr, "qm-bench-mapwait: cannot open the display\n");
        return 2;
    }
    XSetErrorHandler(IgnoreErrors);
    Display* d = display.get();
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
    XSync(d, False);

    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("qm-bench-mapwait: fork");
        return 2;
    }
    if (child == 0) {
        execvp(argv[3], argv + 3);
        std::perror("qm-bench-mapwait: exec");
        _exit(127);
    }

    std::set<Window> mapped;
    for (;;) {
        while (XPending(d)) {
            XEvent event;
            XNextEvent(d, &event);
            Window window = None;
            if (event.type == CreateNotify) {
                // Titles set after the map arrive as property changes.
                XSelectInput(d, event.xcreatewindow.window, PropertyChangeMask);
            } else if (event.type == MapNotify) {
                window = event.xmap.window;
                mapped.insert(window);
            } else if (event.type == UnmapNotify) {
                mapped.erase(event.xunmap.window);
            } else if (event.type == PropertyNotify && mapped.count(event.xproperty.window)) {
                window = event.xproperty.window;
            }
            if (window != None && WindowTitle(d, window) == wanted && OnScreen(d, window)) {
                const auto elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                std::printf("%.1f\n", elapsed);
                std::fflush(stdout);
                Stop(child);
                return 0;
            }
        }
        const auto left = limit - (Clock::now() - start);
        if (left <= Clock::duration::zero() || waitpid(child, nullptr, WNOHANG) == child) {
            std::fprintf(stderr, "qm-bench-mapwait: no window \"%s\" came up\n", wanted.c_str());
            Stop(child);
            return 1;
        }
        pollfd entry{ConnectionNumber(d), POLLIN, 0};
        poll(&entry, 1, static_cast<int>(std::min<long>(50, std::chrono::duration_cast<std::chrono::milliseconds>(left).count() + 1)));
    }
}
