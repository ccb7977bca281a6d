#pragma once
// Runs the Qt event loop until a condition holds or a deadline passes. The tests
// wait on what the program does, never on a fixed sleep; the deadline only keeps a
// broken line (or a program that never ends) from hanging the run.

#include <QProcessEnvironment>
#include <QStringList>

#include <functional>
#include <string>

namespace neva::testsupport {

// True when the condition came true before timeout_ms passed.
bool run_until(const std::function<bool()>& condition, int timeout_ms);

// Keeps the event loop running for about `ms` milliseconds (used only to let
// things that must NOT happen have their chance to happen).
void run_for(int ms);

// A program run to its end as a script runs it (neva-cli above all), the event loop
// turning meanwhile so that a server of the test's own can answer it; killed when
// it outlasts timeout_ms. `env` replaces the environment when given.
struct ProgramRun {
    int status = -1;  // -1: did not start, did not end, or crashed
    bool finished = false;
    std::string out, err;
};
ProgramRun run_program(const QString& program, const QStringList& args, int timeout_ms = 60000,
                       const QProcessEnvironment& env = {});

}  // namespace neva::testsupport
