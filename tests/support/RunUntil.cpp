#include "RunUntil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

namespace neva::testsupport {

bool run_until(const std::function<bool()>& condition, int timeout_ms) {
    QElapsedTimer elapsed;
    elapsed.start();
    // A timer wakes the loop so the condition and the deadline are looked at even
    // when nothing else happens. Not too often: a busy wake-up timer delays the
    // link's own 10 ms settling timer by a fraction of a millisecond, which the
    // benchmark would count against the engine.
    QTimer wake;
    wake.setTimerType(Qt::CoarseTimer);
    wake.setInterval(25);
    wake.start();
    while (!condition()) {
        if (elapsed.elapsed() >= timeout_ms) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void run_for(int ms) {
    run_until([] { return false; }, ms);
}

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
