#pragma once

// A display of our own for the real program: Xvfb, the program started and stopped,
// its window found and looked at. Used by the windowed tests and the benchmarks.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace gyrelle::testing {

using Clock = std::chrono::steady_clock;

inline pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                   int stdoutFd = -1, int stderrFd = -1, int stdinFd = -1) {
    pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive a test that crashed
        if (stdinFd >= 0) {
            dup2(stdinFd, 0);
        }
        if (stdoutFd >= 0) {
            dup2(stdoutFd, 1);
        }
        if (stderrFd >= 0) {
            dup2(stderrFd, 2);
        }
        std::vector<char*> args, envp;
        for (const auto& a : argv) {
            args.push_back(const_cast<char*>(a.c_str()));
        }
        args.push_back(nullptr);
        for (const auto& e : env) {
            envp.push_back(const_cast<char*>(e.c_str()));
        }
        envp.push_back(nullptr);
        execvpe(args[0], args.data(), envp.data());
        _exit(127);
    }
    return pid;
}

// Waits for the child up to `seconds`; its exit status, or -1 if it did not end.
inline int waitFor(pid_t pid, double seconds) {
    auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

inline std::vector<std::string> baseEnvironment() {
    std::vector<std::string> env;
    for (const char* keep : {"PATH", "HOME", "UBSAN_OPTIONS"}) {
        if (const char* v = std::getenv(keep)) {
            env.push_back(std::string(keep) + "=" + v);
        }
    }
    return env;
}

class XServer {
  public:
    XServer() {
        int fds[2];
        if (pipe(fds) != 0) {
            return;
        }
        pid_ = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24",
                      "-nolisten", "tcp"},
                     baseEnvironment(), -1, open("/dev/null", O_WRONLY));
        close(fds[1]);
        char buf[32] = {};
        ssize_t n = read(fds[0], buf, sizeof buf - 1);  // the display number, once ready
        close(fds[0]);
        if (n > 0) {
            display_.assign(1, ':').append(buf, std::strcspn(buf, "\n"));
        }
    }
    ~XServer() { stop(SIGTERM); }
    // Ends the server, as a crash (SIGKILL) would or politely.
    void stop(int signal) {
        if (pid_ > 0) {
            kill(pid_, signal);
            waitFor(pid_, 5);
            pid_ = -1;
        }
    }
    const std::string& display() const { return display_; }

  private:
    pid_t pid_ = -1;
    std::string display_;
};

// The process that made window w, from the _NET_WM_PID property SDL sets; -1 if none.
inline long windowPid(Display* dpy, Window w) {
    Atom property = XInternAtom(dpy, "_NET_WM_PID", True);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (property != 0 &&
        XGetWindowProperty(dpy, w, property, 0, 1, False, XA_CARDINAL, &type, &format, &items,
                           &after, &data) == Success &&
        data && items == 1 && format == 32) {
        pid = *reinterpret_cast<long*>(data);
    }
    if (data) {
        XFree(data);
    }
    return pid;
}

// A window's title as task bars read it (UTF-8); empty for none.
inline std::string windowTitle(Display* dpy, Window w) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::string text;
    if (XGetWindowProperty(dpy, w, XInternAtom(dpy, "_NET_WM_NAME", False), 0, 256, False,
                           XInternAtom(dpy, "UTF8_STRING", False), &type, &format, &count, &after,
                           &data) == Success &&
        data) {
        text.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
    }
    return text;
}

// The window titled `title`, or "<words> - `title`" (the game says what is happening there,
// and may do so before its window is first looked for); with `pid`, only one made by that
// process (a window of a process that has just ended may linger a moment).
inline Window findWindow(Display* dpy, Window w, const char* title, pid_t pid = -1) {
    const std::string seen = windowTitle(dpy, w);
    const std::string after = std::string(" - ") + title;
    if ((seen == title || (seen.size() > after.size() && seen.ends_with(after))) &&
        (pid < 0 || windowPid(dpy, w) == pid)) {
        return w;
    }
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(dpy, w, &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && !found; ++i) {
            found = findWindow(dpy, children[i], title, pid);
        }
        XFree(children);
    }
    return found;
}

// Piles up behind a stopped game a backlog of 50,000 presses and releases of a key that
// does nothing (K), then, with `ctrlQ`, Ctrl+Q at its end: sent to its window `w`.
inline void sendBacklog(Display* dpy, Window w, bool ctrlQ) {
    auto key = [&](KeySym sym, bool press, unsigned state) {
        XKeyEvent e{};
        e.type = press ? KeyPress : KeyRelease;
        e.display = dpy;
        e.window = w;
        e.root = DefaultRootWindow(dpy);
        e.same_screen = True;
        e.keycode = XKeysymToKeycode(dpy, sym);
        e.state = state;
        XSendEvent(dpy, w, True, press ? KeyPressMask : KeyReleaseMask,
                   reinterpret_cast<XEvent*>(&e));
    };
    for (int i = 0; i < 50000; ++i) {
        key(XK_k, true, 0);
        key(XK_k, false, 0);
    }
    if (ctrlQ) {
        key(XK_Control_L, true, 0);
        key(XK_q, true, ControlMask);
    }
    XSync(dpy, False);
}

struct Rgb {
    unsigned char r, g, b;
    bool operator==(const Rgb&) const = default;
};

inline Rgb pixelOf(XImage* image, int x, int y) {
    unsigned long p = XGetPixel(image, x, y);
    return {static_cast<unsigned char>((p >> 16) & 0xFF),
            static_cast<unsigned char>((p >> 8) & 0xFF), static_cast<unsigned char>(p & 0xFF)};
}

}  // namespace gyrelle::testing
