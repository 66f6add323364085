// Starts, times and closes the Linux programs for scripts/measure, the same way for each: the
// start-up time ends when the server maps the program's main window (a top-level window of at
// least kMinimumWidth pixels whose _NET_WM_PID is the started process or one of its children).
//
//   floor_x11_probe start SECONDS PROGRAM [ARGS...]   prints "PID WINDOW MILLISECONDS"
//   floor_x11_probe close PID                          asks its main window to close
//   floor_x11_probe hidden PID SECONDS                 waits until it shows no main window
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr unsigned kMinimumWidth = 100;  // tray icons and tooltips are smaller

// The process and its ancestors up to init.
bool Descends(long pid, long ancestor) {
  for (int depth = 0; pid > 1 && depth < 16; ++depth) {
    if (pid == ancestor) return true;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    const auto close = line.rfind(')');
    if (close == std::string::npos) return false;
    char state = 0;
    long parent = 0;
    if (std::sscanf(line.c_str() + close + 1, " %c %ld", &state, &parent) != 2) return false;
    pid = parent;
  }
  return false;
}

long WindowPid(Display* display, Window window) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  long pid = 0;
  if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), 0, 1, False,
                         XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
      data != nullptr && count == 1 && format == 32)
    pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
  if (data != nullptr) XFree(data);
  return pid;
}

bool IsMainWindow(Display* display, Window window, long pid) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) return false;
  return attributes.map_state == IsViewable && !attributes.override_redirect &&
         static_cast<unsigned>(attributes.width) >= kMinimumWidth &&
         Descends(WindowPid(display, window), pid);
}

std::vector<Window> MainWindows(Display* display, long pid) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  std::vector<Window> found;
  if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
    for (unsigned i = 0; i < count; ++i)
      if (IsMainWindow(display, children[i], pid)) found.push_back(children[i]);
    XFree(children);
  }
  return found;
}

int IgnoreErrors(Display*, XErrorEvent*) {
  return 0;  // a window may be gone by the time we ask about it
}

int Start(Display* display, int seconds, char** command) {
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    close(ConnectionNumber(display));
    dup2(2, 1);  // our standard output is for the result alone; the caller reads it to its end
    execvp(command[0], command);
    std::perror(command[0]);
    _exit(127);
  }
  const auto deadline = start + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    while (XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == MapNotify && IsMainWindow(display, event.xmap.window, pid)) {
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
        std::printf("%d %lu %lld\n", pid, event.xmap.window,
                    static_cast<long long>(elapsed.count()));
        return 0;
      }
    }
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    poll(&connection, 1, 100);
  }
  std::fprintf(stderr, "no main window of %s within %d s\n", command[0], seconds);
  return 1;
}

int Close(Display* display, long pid) {
  const auto windows = MainWindows(display, pid);
  for (Window window : windows) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
  }
  XSync(display, False);
  return windows.empty() ? 1 : 0;
}

int Hidden(Display* display, long pid, int seconds) {
  for (int tenth = 0; tenth < seconds * 10; ++tenth) {
    if (MainWindows(display, pid).empty()) return 0;
    usleep(100000);
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "cannot open the display\n");
    return 2;
  }
  XSetErrorHandler(IgnoreErrors);
  const std::string verb = argc > 1 ? argv[1] : "";
  if (verb == "start" && argc > 3) return Start(display, std::atoi(argv[2]), argv + 3);
  if (verb == "close" && argc == 3) return Close(display, std::atol(argv[2]));
  if (verb == "hidden" && argc == 4) return Hidden(display, std::atol(argv[2]), std::atoi(argv[3]));
  std::fprintf(stderr,
               "usage: %s start SECONDS PROGRAM [ARGS...] | close PID | hidden PID SECONDS\n",
               argv[0]);
  return 2;
}
