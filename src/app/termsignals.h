#pragma once

namespace modThreading {

// SIGTERM and SIGINT run the orderly shut-down on the first thread, the way
// "St&äng av" does. The handler only writes a byte to a pipe; the event loop
// does the rest. Call once, on the first thread, after the main window exists.
void installShutdownSignals();

} // namespace modThreading
