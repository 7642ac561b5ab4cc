#include "platform/Signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

namespace gyrelle::platform {

namespace {
// Signals are the process's own: so is what they leave behind.
volatile sig_atomic_t requested = 0;
int wakeFds[2] = {-1, -1};

void onTerminationSignal(int signal) {
    const int saved = errno;
    requested = signal;
    const char byte = 1;
    [[maybe_unused]] ssize_t n = write(wakeFds[1], &byte, 1);  // full pipe: already awake
    errno = saved;
}
}  // namespace

void catchTerminationSignals() {
    if (wakeFds[0] < 0 && pipe2(wakeFds, O_NONBLOCK | O_CLOEXEC) != 0) {
        wakeFds[0] = wakeFds[1] = -1;
    }
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigset_t mask;
    sigemptyset(&mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(signal, &action, nullptr);
        sigaddset(&mask, signal);
    }
    // Blocked by whoever started the game, one would wait until it ends, unsaved.
    sigprocmask(SIG_UNBLOCK, &mask, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

int terminationRequested() {
    return requested;
}

int terminationFd() {
    return wakeFds[0];
}

}  // namespace gyrelle::platform
