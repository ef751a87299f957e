/* The floor the window is compared with: a plain C loop that reads a serial line and does
 * nothing with the bytes, in a bare X window (so the window bench can start, find and ping
 * it like the real program). It answers _NET_WM_PING and otherwise only counts bytes.
 *
 *   minreader DEVICE [GATHER_MS]
 *
 * GATHER_MS 0 (the default) reads whenever a byte is readable; N > 0 sleeps N ms after a read
 * that brought no more than the line rate does (16 bytes), so bytes that arrive meanwhile are
 * taken with one wake-up, as the program does, while a flood is read at full speed. */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: %s DEVICE [GATHER_MS]\n", argv[0]);
        return 2;
    }
    const int gatherMs = argc > 2 ? atoi(argv[2]) : 0;
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "no X display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    const Window window = XCreateSimpleWindow(display, root, 0, 0, 200, 100, 0, 0, 0xffffff);
    XStoreName(display, window, "minreader");
    Atom protocols[2] = {XInternAtom(display, "WM_DELETE_WINDOW", False),
                         XInternAtom(display, "_NET_WM_PING", False)};
    XSetWMProtocols(display, window, protocols, 2);
    const long pid = (long)getpid();
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                    PropModeReplace, (const unsigned char*)&pid, 1);
    XMapWindow(display, window);
    XFlush(display);

    const int fd = open(argv[1], O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        perror(argv[1]);
        return 1;
    }
    struct termios tio;
    if (tcgetattr(fd, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetspeed(&tio, B9600);
        tcsetattr(fd, TCSANOW, &tio);
    }

    static char buffer[1 << 16];
    unsigned long long total = 0;
    struct pollfd fds[2] = {{fd, POLLIN, 0}, {ConnectionNumber(display), POLLIN, 0}};
    for (;;) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == ClientMessage && (Atom)event.xclient.data.l[0] == protocols[1]) {
                event.xclient.window = root;
                XSendEvent(display, root, False,
                           SubstructureNotifyMask | SubstructureRedirectMask, &event);
                XFlush(display);
            }
        }
        if (poll(fds, 2, -1) < 0)
            continue;
        if (fds[0].revents & (POLLHUP | POLLERR))
            break;
        if (fds[0].revents & POLLIN) {
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n > 0)
                total += (unsigned long long)n;
            if (gatherMs > 0 && n <= 16) {
                const struct timespec pause = {0, gatherMs * 1000000L};
                nanosleep(&pause, NULL);
            }
        }
    }
    fprintf(stderr, "%llu bytes\n", total);
    return 0;
}
