#pragma once

namespace gyrelle::platform {

// The requests to end the game (SIGTERM, SIGINT, SIGHUP), caught from the first line of
// main so that none ends it unsaved: each only marks the request and wakes whoever waits
// on terminationFd(); the event loop ends the game as if its window were closed. SIGPIPE
// is ignored: standard error being a closed pipe must not end the game either.
void catchTerminationSignals();
// The signal that asked the game to end, or 0.
int terminationRequested();
// Becomes readable once a request has come; -1 before catchTerminationSignals.
int terminationFd();

}  // namespace gyrelle::platform
