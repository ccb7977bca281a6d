// neva-cli scan and clock against the relay simulator: a relay hidden at an unusual
// address is found and nothing else is reported; a range without it finds nothing;
// the relay clock set from the computer reads back within a second of it.

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include "SimProcess.h"

namespace {

using neva::testsupport::SimProcess;

struct CliRun {
    int status = -1;
    QByteArray out, err;
};

CliRun run_cli(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(NEVA_CLI), args);
    CliRun r;
    if (!p.waitForStarted(10000)) return r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished(5000);
        return r;
    }
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    if (p.exitStatus() == QProcess::NormalExit) r.status = p.exitCode();
    return r;
}

class CliScanClockTest : public ::testing::Test {
protected:
    void start(const QStringList& extra) {
        if (!QFile::exists(SimProcess::relay_program())) GTEST_SKIP() << "relay simulator not built";
        ASSERT_TRUE(sim.start(QStringList{"--quiet", "--event-every", "0"} + extra)) << sim.error().toStdString();
    }
    SimProcess sim{SimProcess::relay_program()};
};

TEST_F(CliScanClockTest, ScanFindsTheHiddenRelayOnlyWhereItIs) {
    start({"--address", "173"});
    // A pseudo-terminal carries every speed, so one speed is scanned; the addresses
    // before the relay's make it hear requests for other slaves first.
    const CliRun found = run_cli({"scan", "--port", sim.pty_path(), "--speeds", "9600", "--addresses", "170-176", "--json"});
    ASSERT_EQ(found.status, 0) << found.err.toStdString();
    const QList<QByteArray> lines = found.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 1) << found.out.toStdString();
    const QJsonObject relay = QJsonDocument::fromJson(lines[0]).object();
    EXPECT_EQ(relay["address"].toInt(), 173);
    EXPECT_EQ(relay["speed"].toInt(), 9600);
    EXPECT_EQ(relay["firmware"].toString(), "1.03");
    EXPECT_TRUE(relay["supported"].toBool());
    EXPECT_TRUE(found.err.contains("this takes at most")) << found.err.toStdString();

    const CliRun none = run_cli({"scan", "--port", sim.pty_path(), "--speeds", "9600,19200", "--addresses", "1-20"});
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(none.out.isEmpty()) << none.out.toStdString();
    EXPECT_TRUE(none.err.contains("no relay answered")) << none.err.toStdString();
}

TEST_F(CliScanClockTest, ClockSetNowReadsBackWithinASecond) {
    start({"--address", "9"});
    const CliRun set = run_cli({"clock", "--port", sim.pty_path(), "--address", "9", "--set-now", "--json"});
    ASSERT_EQ(set.status, 0) << set.err.toStdString();
    const QJsonObject doc = QJsonDocument::fromJson(set.out).object();
    ASSERT_TRUE(doc["before"].isObject()) << set.out.toStdString();
    const QJsonObject after = doc["after"].toObject();
    EXPECT_LE(std::abs(after["offset_seconds"].toInt(99)), 1) << set.out.toStdString();
    EXPECT_EQ(after["relay"].toString().left(10), after["computer"].toString().left(10));
}

}  // namespace
