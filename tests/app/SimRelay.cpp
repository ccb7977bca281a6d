#include "SimRelay.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <csignal>

namespace neva::apptest {

SimRelay::~SimRelay() { stop(); }

bool SimRelay::start(const QStringList& args, bool log) {
    const QString program = QStringLiteral(NEVA_RELAY_SIM_BIN);
    if (!QFileInfo(program).isExecutable()) {
        error_ = "relay simulator not built: " + program;
        return false;
    }
    process_.setProcessChannelMode(log ? QProcess::SeparateChannels : QProcess::ForwardedErrorChannel);
    process_.start(program, log ? args : args + QStringList{"--quiet"});
    if (!process_.waitForStarted(10000)) {
        error_ = "relay simulator did not start";
        return false;
    }
    QElapsedTimer t;
    t.start();
    while (!process_.canReadLine() && t.elapsed() < 10000 && process_.state() == QProcess::Running)
        process_.waitForReadyRead(200);
    pty_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    if (pty_.isEmpty()) error_ = "relay simulator gave no pseudo-terminal";
    return !pty_.isEmpty();
}

QString SimRelay::log() {
    log_ += QString::fromLocal8Bit(process_.readAllStandardError());
    return log_;
}

void SimRelay::freeze() {
    if (process_.state() == QProcess::Running) {
        ::kill(static_cast<pid_t>(process_.processId()), SIGSTOP);
        frozen_ = true;
    }
}

void SimRelay::thaw() {
    if (frozen_) ::kill(static_cast<pid_t>(process_.processId()), SIGCONT);
    frozen_ = false;
}

void SimRelay::stop() {
    if (process_.state() == QProcess::NotRunning) return;
    thaw();
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(2000);
    }
}

bool run_until(const std::function<bool()>& condition, int timeout_ms) {
    QElapsedTimer t;
    t.start();
    while (!condition()) {
        if (t.elapsed() > timeout_ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

}  // namespace neva::apptest
