// x_close_window WINDOW-ID: asks an X window to close the way a window manager does
// when the user clicks its close button (a WM_DELETE_WINDOW client message), for
// tests that close a window on a virtual X display with no window manager running.
// Exit status 0 sent, 1 the display or window is not there, 2 bad arguments.
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: x_close_window WINDOW-ID (uses $DISPLAY)\n");
        return 2;
    }
    char* end = NULL;
    const unsigned long id = strtoul(argv[1], &end, 0);
    if (!end || *end || id == 0) {
        fprintf(stderr, "x_close_window: not a window id: %s\n", argv[1]);
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "x_close_window: cannot open the display\n");
        return 1;
    }
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, (Window)id, &attributes)) {
        fprintf(stderr, "x_close_window: no window %s\n", argv[1]);
        XCloseDisplay(display);
        return 1;
    }
    XEvent event = {0};
    event.xclient.type = ClientMessage;
    event.xclient.window = (Window)id;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, (Window)id, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
