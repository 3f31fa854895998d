// The machine's floor for start-up: a raw X window of the main window's size, mapped,
// drawn once on its first Expose and then gone. It stamps its own first frame, in the
// format the paint probe writes for the Qt programs.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

bool writeStamp(const char* path) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::FILE* out = std::fopen(path, "w");
    if (!out)
        return false;
    std::fprintf(out, "%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    return std::fclose(out) == 0;
}

} // namespace

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fputs("min_xlib_window: cannot open the display\n", stderr);
        return 1;
    }
    const int screen = DefaultScreen(display);
    const Window window =
        XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, 611, 281, 0,
                            BlackPixel(display, screen), WhitePixel(display, screen));
    XStoreName(display, window, "Minimal Xlib window");
    XSelectInput(display, window, ExposureMask);
    XMapWindow(display, window);

    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != Expose)
            continue;
        GC gc = DefaultGC(display, screen);
        XSetForeground(display, gc, BlackPixel(display, screen));
        XFillRectangle(display, window, gc, 20, 20, 200, 40);
        XDrawString(display, window, gc, 20, 90, "BMI", 3);
        // The frame counts once the server has drawn it, not when it leaves our queue.
        XSync(display, False);
        break;
    }
    const char* out = std::getenv("BMI_PROBE_OUT");
    const bool stamped = !out || writeStamp(out);
    XCloseDisplay(display);
    return stamped ? 0 : 1;
}
