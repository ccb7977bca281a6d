#include "ModemSimProcess.h"

#include <QElapsedTimer>
#include <QFileInfo>

namespace neva::modemtest {

ModemSimProcess::ModemSimProcess() {
    // The simulator logs what it receives on its standard error; it is kept.
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    QObject::connect(&process_, &QProcess::readyReadStandardError, &process_,
                     [this] { log_ += process_.readAllStandardError(); });
}

ModemSimProcess::~ModemSimProcess() { stop(); }

QString ModemSimProcess::program() {
    const QString from_env = qEnvironmentVariable("NEVA_MODEM_SIM");
    if (!from_env.isEmpty()) return from_env;
#ifdef NEVA_MODEM_SIM
    return QStringLiteral(NEVA_MODEM_SIM);
#else
    return QStringLiteral("neva-modem-sim");
#endif
}

bool ModemSimProcess::start(const QStringList& arguments, int timeout_ms) {
    error_.clear();
    pty_path_.clear();
    const QString binary = program();
    if (!QFileInfo(binary).isExecutable()) {
        error_ = QStringLiteral("modem simulator not found: %1").arg(binary);
        return false;
    }
    process_.start(binary, arguments);
    if (!process_.waitForStarted(timeout_ms)) {
        error_ = QStringLiteral("modem simulator did not start: %1").arg(process_.errorString());
        return false;
    }
    QElapsedTimer elapsed;
    elapsed.start();
    while (!process_.canReadLine()) {
        const int left = timeout_ms - static_cast<int>(elapsed.elapsed());
        if (left <= 0 || process_.state() == QProcess::NotRunning) {
            error_ = QStringLiteral("modem simulator gave no pseudo-terminal path");
            stop();
            return false;
        }
        process_.waitForReadyRead(left);
    }
    pty_path_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    // Whatever else it prints is dropped, so that its pipe never fills.
    QObject::connect(&process_, &QProcess::readyReadStandardOutput, &process_,
                     [this] { process_.readAllStandardOutput(); });
    if (pty_path_.isEmpty()) {
        error_ = QStringLiteral("modem simulator printed an empty path");
        stop();
        return false;
    }
    return true;
}

std::string ModemSimProcess::received(const std::string& tail, int timeout_ms) {
    QElapsedTimer elapsed;
    elapsed.start();
    for (;;) {
        log_ += process_.readAllStandardError();
        // Lines "neva-modem-sim: received <bytes>", CR and LF written as <CR> and <LF>.
        std::string bytes;
        const QByteArray marker = "neva-modem-sim: received ";
        for (const QByteArray& line : log_.split('\n')) {
            if (!line.startsWith(marker)) continue;
            QByteArray text = line.mid(marker.size());
            text.replace("<CR>", "\r").replace("<LF>", "\n");
            bytes += text.toStdString();
        }
        const bool has_tail = bytes.size() >= tail.size() && bytes.compare(bytes.size() - tail.size(), tail.size(), tail) == 0;
        if (has_tail || elapsed.elapsed() >= timeout_ms || process_.state() == QProcess::NotRunning) return bytes;
        process_.setReadChannel(QProcess::StandardError);
        process_.waitForReadyRead(50);
        process_.setReadChannel(QProcess::StandardOutput);
    }
}

void ModemSimProcess::stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

}  // namespace neva::modemtest
