// x11-probe: what the end-to-end test needs of an X server that xdotool does not give.
//
//   x11-probe pixels WINDOW X,Y [X,Y ...]   prints "R,G,B" for each point of the window, on one
//   line x11-probe close WINDOW                  asks the window to close, as a window manager's
//   close
//                                           box does: a WM_PROTOCOLS / WM_DELETE_WINDOW message
//
// WINDOW is a window id as xdotool prints it (decimal) or in hex (0x...). Reading a few pixels
// straight from the server takes a millisecond, so the test can poll the panel closely without
// a screenshot file per look. Exit status: 0 done, 1 the server refused, 2 bad arguments.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

int usage() {
    std::fprintf(stderr, "usage: x11-probe pixels WINDOW X,Y [X,Y ...]\n"
                         "       x11-probe close WINDOW\n");
    return 2;
}

bool parseWindow(const char *text, Window &window) {
    char *end = nullptr;
    const unsigned long id = std::strtoul(text, &end, 0);
    window = id;
    return end != text && *end == '\0' && id != 0;
}

struct Point {
    int x;
    int y;
};

bool parsePoint(const char *text, Point &p) {
    char tail = 0;
    return std::sscanf(text, "%d,%d%c", &p.x, &p.y, &tail) == 2;
}

// Xlib reports a failed request through this handler; the default one would end the process
// without saying which request it was.
int reportError(Display *display, XErrorEvent *error) {
    char text[256];
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "x11-probe: the X server refused request %d: %s\n",
                 int(error->request_code), text);
    std::exit(1);
}

int printPixels(Display *display, Window window, const std::vector<Point> &points) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes))
        return 1;
    std::string line;
    for (const Point &p : points) {
        if (p.x < 0 || p.y < 0 || p.x >= attributes.width || p.y >= attributes.height) {
            std::fprintf(stderr, "x11-probe: %d,%d lies outside the %dx%d window\n", p.x, p.y,
                         attributes.width, attributes.height);
            return 1;
        }
        XImage *image = XGetImage(display, window, p.x, p.y, 1, 1, AllPlanes, ZPixmap);
        XColor colour{};
        colour.pixel = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        XQueryColor(display, attributes.colormap, &colour);
        if (!line.empty())
            line += ' ';
        line += std::to_string(colour.red >> 8) + ',' + std::to_string(colour.green >> 8) + ',' +
                std::to_string(colour.blue >> 8);
    }
    std::printf("%s\n", line.c_str());
    return 0;
}

// A window manager sends WM_DELETE_WINDOW only to a window that lists it in WM_PROTOCOLS (it
// kills the others), so a window that does not list it fails here as it would there.
bool acceptsDeleteRequest(Display *display, Window window, Atom deleteWindow) {
    Atom *protocols = nullptr;
    int count = 0;
    bool found = false;
    if (XGetWMProtocols(display, window, &protocols, &count)) {
        for (int i = 0; i < count; ++i)
            found = found || protocols[i] == deleteWindow;
        XFree(protocols);
    }
    return found;
}

int requestClose(Display *display, Window window) {
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    if (!acceptsDeleteRequest(display, window, deleteWindow)) {
        std::fprintf(stderr, "x11-probe: the window does not accept WM_DELETE_WINDOW\n");
        return 1;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(deleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    return 0;
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc < 3)
        return usage();
    const std::string command = argv[1];
    Window window = 0;
    if (!parseWindow(argv[2], window))
        return usage();
    std::vector<Point> points;
    for (int i = 3; i < argc; ++i) {
        Point p{};
        if (!parsePoint(argv[i], p))
            return usage();
        points.push_back(p);
    }
    const bool readPixels = command == "pixels" && !points.empty();
    if (!readPixels && !(command == "close" && points.empty()))
        return usage();

    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "x11-probe: cannot open display \"%s\"\n", XDisplayName(nullptr));
        return 1;
    }
    XSetErrorHandler(reportError);
    const int status =
        readPixels ? printPixels(display, window, points) : requestClose(display, window);
    XCloseDisplay(display);
    return status;
}
