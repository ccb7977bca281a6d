#include "RelaySimProcess.h"

#include <QElapsedTimer>
#include <QFileInfo>

namespace neva::e2e {

RelaySimProcess::RelaySimProcess(QString program) : program_(program.isEmpty() ? default_program() : program) {
    // The simulator's complaints go to the test log; its further output is dropped.
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

RelaySimProcess::~RelaySimProcess() { stop(); }

QString RelaySimProcess::default_program() {
    const QString from_env = qEnvironmentVariable("NEVA_RELAY_SIM");
    if (!from_env.isEmpty()) return from_env;
#ifdef NEVA_RELAY_SIM
    return QStringLiteral(NEVA_RELAY_SIM);
#else
    return QStringLiteral("neva-relay-sim");
#endif
}

bool RelaySimProcess::start(const QStringList& arguments, int timeout_ms) {
    error_.clear();
    pty_path_.clear();
    if (!QFileInfo(program_).isExecutable()) {
        error_ = QStringLiteral("relay simulator not found: %1").arg(program_);
        return false;
    }
    process_.start(program_, arguments);
    if (!process_.waitForStarted(timeout_ms)) {
        error_ = QStringLiteral("relay simulator did not start: %1").arg(process_.errorString());
        return false;
    }
    QElapsedTimer elapsed;
    elapsed.start();
    while (!process_.canReadLine()) {
        const int left = timeout_ms - static_cast<int>(elapsed.elapsed());
        if (left <= 0 || process_.state() == QProcess::NotRunning) {
            error_ = QStringLiteral("relay simulator gave no pseudo-terminal path");
            stop();
            return false;
        }
        process_.waitForReadyRead(left);
    }
    pty_path_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    QObject::connect(&process_, &QProcess::readyReadStandardOutput, &process_,
                     [this] { process_.readAllStandardOutput(); });
    if (pty_path_.isEmpty()) {
        error_ = QStringLiteral("relay simulator printed an empty path");
        stop();
        return false;
    }
    return true;
}

void RelaySimProcess::kill() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(5000);
}

void RelaySimProcess::stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

}  // namespace neva::e2e
