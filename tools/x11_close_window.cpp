// Test tool: waits for a top-level X11 window with the given title, then asks it to close the
// way a window manager does (WM_DELETE_WINDOW) and waits until no window of that title is left.
// A window that replaced the one asked is asked again; one that was asked is never asked twice.
// Exit 0 when the window went away after a request.
//
//   x11_close_window TITLE [TIMEOUT_SECONDS]

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Windows come and go while the tree is walked, and SDL may replace the game's window by a new
// one when it sets up the renderer: a request on a window that has vanished fails with
// BadWindow, which Xlib's default handler turns into an exit. Here such an error only means
// "not this one" and is noted.
bool g_xError = false;
int NoteXError(Display*, XErrorEvent*) {
  g_xError = true;
  return 0;
}

Window FindWindow(Display* d, Window w, const char* title) {
  char* name = nullptr;
  if (XFetchName(d, w, &name) && name) {
    const bool match = std::strcmp(name, title) == 0;
    XFree(name);
    if (match) return w;
  }
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(d, w, &root, &parent, &children, &count)) return 0;
  Window found = 0;
  for (unsigned i = 0; i < count && !found; ++i) found = FindWindow(d, children[i], title);
  if (children) XFree(children);
  return found;
}

// True when the request reached a window that still exists.
bool SendClose(Display* d, Window w) {
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  g_xError = false;
  const Status sent = XSendEvent(d, w, False, NoEventMask, &e);
  XSync(d, False);
  return sent && !g_xError;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: x11_close_window TITLE [TIMEOUT_SECONDS]\n");
    return 2;
  }
  const char* title = argv[1];
  const int timeout = argc > 2 ? std::atoi(argv[2]) : 20;
  Display* d = XOpenDisplay(nullptr);
  if (!d) {
    std::fprintf(stderr, "x11_close_window: no display\n");
    return 1;
  }
  XSetErrorHandler(NoteXError);
  int seenAt = -1;  // tenth of a second at which the window was first seen
  int sentAt = -1;  // ... at which the last request reached it
  Window asked = 0;
  for (int t = 0; t < timeout * 10; ++t, usleep(100000)) {
    const Window w = FindWindow(d, DefaultRootWindow(d), title);
    if (!w) {
      if (sentAt < 0) continue;
      XCloseDisplay(d);
      std::printf("x11_close_window: %s closed\n", title);
      return 0;
    }
    if (seenAt < 0) seenAt = t;
    if (t - seenAt < 10 || w == asked) continue;  // let the game run a few frames first
    if (SendClose(d, w)) {
      std::printf("x11_close_window: close sent to %s (0x%lx)\n", title, static_cast<unsigned long>(w));
      sentAt = t;
      asked = w;
    }
  }
  XCloseDisplay(d);
  std::fprintf(stderr, "x11_close_window: %s\n",
               seenAt < 0 ? "no window with that title" : sentAt < 0 ? "the window could not be reached"
                                                                      : "the window did not close");
  return 1;
}
