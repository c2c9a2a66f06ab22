#pragma once

namespace modGlobal {

// Set by shutDown; the ways to quit call shutDown only while it is false.
bool &quitting();
// True from the first call of shutDown on.
bool shutDownStarted();

// The one orderly end of the program: drops a running exchange, saves the
// main window's placement, closes every window and ends the process at once
// (no destructors run). Does not return, except for a nested call made from
// its own event processing, which returns at once: the outer run ends the
// process.
void shutDown();

} // namespace modGlobal
