#pragma once

// A trace of a login's steps with their times, for finding where a login
// spends its time. Off unless KORTVIK_TRACE_LOGIN names a file; then each
// mark appends "<CLOCK_MONOTONIC ns> <what>" to it. The lines are written
// out at a flush (the end of a plug-in's login) or when the program ends.
namespace loginTrace {

bool enabled();
void mark(const char *what);
void mark(const char *what, const char *detail);
void flush();

} // namespace loginTrace
