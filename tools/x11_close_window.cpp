// Test tool: waits for a top-level X11 window with the given title, then asks it to close the
// way a window manager does (WM_DELETE_WINDOW). Exit 0 when the request was sent.
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

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: x11_close_window TITLE [TIMEOUT_SECONDS]\n");
    return 2;
  }
  const int timeout = argc > 2 ? std::atoi(argv[2]) : 20;
  Display* d = XOpenDisplay(nullptr);
  if (!d) {
    std::fprintf(stderr, "x11_close_window: no display\n");
    return 1;
  }
  Window w = 0;
  for (int i = 0; i < timeout * 10 && !w; ++i) {
    w = FindWindow(d, DefaultRootWindow(d), argv[1]);
    if (!w) usleep(100000);
  }
  if (!w) {
    std::fprintf(stderr, "x11_close_window: no window titled %s\n", argv[1]);
    return 1;
  }
  sleep(1);  // let the game run a few frames first
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, w, False, NoEventMask, &e);
  XFlush(d);
  XCloseDisplay(d);
  std::printf("x11_close_window: close sent to %s\n", argv[1]);
  return 0;
}
