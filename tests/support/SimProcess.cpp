#include "SimProcess.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <csignal>

namespace neva::testsupport {

namespace {

QString program_from(const char* variable, const char* built) {
    const QString from_env = qEnvironmentVariable(variable);
    return from_env.isEmpty() ? QString::fromLocal8Bit(built) : from_env;
}

}  // namespace

SimProcess::SimProcess(QString program, ErrorOutput error_output) : program_(std::move(program)) {
    if (error_output == ErrorOutput::Forward) {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    } else {
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        QObject::connect(&process_, &QProcess::readyReadStandardError, &process_,
                         [this] { error_output_ += process_.readAllStandardError(); });
    }
}

SimProcess::~SimProcess() { stop(); }

QString SimProcess::relay_program() { return program_from("NEVA_RELAY_SIM", NEVA_RELAY_SIM_BIN); }
QString SimProcess::modem_program() { return program_from("NEVA_MODEM_SIM", NEVA_MODEM_SIM_BIN); }

bool SimProcess::start(const QStringList& arguments, int timeout_ms) {
    error_.clear();
    pty_path_.clear();
    if (!QFileInfo(program_).isExecutable()) {
        error_ = QStringLiteral("simulator not found: %1").arg(program_);
        return false;
    }
    process_.start(program_, arguments);
    if (!process_.waitForStarted(timeout_ms)) {
        error_ = QStringLiteral("simulator did not start: %1").arg(process_.errorString());
        return false;
    }
    QElapsedTimer elapsed;
    elapsed.start();
    process_.setReadChannel(QProcess::StandardOutput);
    while (!process_.canReadLine()) {
        const int left = timeout_ms - static_cast<int>(elapsed.elapsed());
        if (left <= 0 || process_.state() == QProcess::NotRunning) {
            error_ = QStringLiteral("simulator gave no pseudo-terminal path");
            stop();
            return false;
        }
        process_.waitForReadyRead(left);
    }
    pty_path_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    QObject::connect(&process_, &QProcess::readyReadStandardOutput, &process_,
                     [this] { process_.readAllStandardOutput(); });
    if (pty_path_.isEmpty()) {
        error_ = QStringLiteral("simulator printed an empty path");
        stop();
        return false;
    }
    return true;
}

const QByteArray& SimProcess::error_output(int wait_ms) {
    QByteArray more = process_.readAllStandardError();
    if (more.isEmpty() && wait_ms > 0 && running()) {
        process_.setReadChannel(QProcess::StandardError);
        process_.waitForReadyRead(wait_ms);
        process_.setReadChannel(QProcess::StandardOutput);
        more = process_.readAllStandardError();
    }
    error_output_ += more;
    return error_output_;
}

void SimProcess::freeze() {
    if (process_.state() != QProcess::Running) return;
    ::kill(static_cast<pid_t>(process_.processId()), SIGSTOP);
    frozen_ = true;
}

void SimProcess::thaw() {
    if (frozen_) ::kill(static_cast<pid_t>(process_.processId()), SIGCONT);
    frozen_ = false;
}

void SimProcess::kill() {
    if (!running()) return;
    thaw();
    process_.kill();
    process_.waitForFinished(5000);
}

void SimProcess::stop() {
    if (!running()) return;
    // A frozen simulator would not act on SIGTERM until it runs again.
    thaw();
    process_.terminate();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

}  // namespace neva::testsupport
