#pragma once
// Runs the Qt event loop until a condition holds or a deadline passes. The tests
// wait on what the program does, never on a fixed sleep; the deadline only keeps a
// broken line from hanging the run.

#include <functional>

namespace neva::testsupport {

// True when the condition came true before timeout_ms passed.
bool run_until(const std::function<bool()>& condition, int timeout_ms);

// Keeps the event loop running for about `ms` milliseconds (used only to let
// things that must NOT happen have their chance to happen).
void run_for(int ms);

}  // namespace neva::testsupport
