#include "ProgramRun.h"

#include <QProcess>

#include "RunUntil.h"

namespace neva::testsupport {

ProgramRun run_program(const QString& program, const QStringList& args, int timeout_ms,
                       const QProcessEnvironment& env) {
    QProcess p;
    if (!env.isEmpty()) p.setProcessEnvironment(env);
    p.start(program, args);
    ProgramRun r;
    if (!p.waitForStarted(10000)) return r;
    r.finished = run_until([&] { return p.state() == QProcess::NotRunning; }, timeout_ms);
    if (!r.finished) {
        p.kill();
        p.waitForFinished(5000);
    }
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    r.status = r.finished && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

}  // namespace neva::testsupport
