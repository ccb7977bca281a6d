#pragma once
// A program run to its end as a script runs it (neva-cli above all): its exit
// status and everything it printed. The event loop turns meanwhile, so a server of
// the test's own can answer it; a run that outlasts its time is killed.

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <string>

namespace neva::testsupport {

struct ProgramRun {
    int status = -1;  // -1: did not start, did not end, or crashed
    bool finished = false;
    std::string out, err;
};

// `env` replaces the environment when given; otherwise the test's is inherited.
ProgramRun run_program(const QString& program, const QStringList& args, int timeout_ms = 60000,
                       const QProcessEnvironment& env = {});

}  // namespace neva::testsupport
