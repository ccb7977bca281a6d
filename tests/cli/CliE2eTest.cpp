// neva-cli as a script runs it: the real binary, started with QProcess, against
// the relay simulator on a pseudo-terminal. Exit statuses, what lands in files and
// on the relay, what is said on standard error. Every wait is bounded; nothing
// asserts how long something took beyond "it ended".

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <csignal>

#include <gtest/gtest.h>

#include "CliFilesTestSupport.h"
#include "RunUntil.h"
#include "SetpointReport.h"
#include "SimProcess.h"

namespace neva::cli {
namespace {

using testsupport::SimProcess;

struct Result : testsupport::ProgramRun {
    QJsonObject json() const {
        QJsonParseError e{};
        const QJsonDocument d = QJsonDocument::fromJson(QByteArray::fromStdString(out), &e);
        EXPECT_EQ(e.error, QJsonParseError::NoError) << e.errorString().toStdString() << "\n" << out;
        return d.object();
    }
};

class CliE2eTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QFileInfo(SimProcess::relay_program()).isExecutable()) GTEST_SKIP() << "relay simulator not built";
    }
    // A still relay: 25 events, no new ones while the test runs.
    void start(const QStringList& extra = {}) {
        const QString cli = qEnvironmentVariable("NEVA_CLI", NEVA_CLI);
        ASSERT_TRUE(QFileInfo(cli).isExecutable()) << cli.toStdString();
        program = cli;
        ASSERT_TRUE(sim.start(QStringList{"--quiet", "--event-every", "0"} + extra)) << sim.error().toStdString();
    }
    QStringList line() const { return {"--port", sim.pty_path()}; }
    QString file(const char* name) const { return QString::fromStdString(dir.path(name)); }
    // The silent relay needs five two-second time-outs; everything else far less.
    Result run(const QStringList& args, int timeout_ms = 60000) {
        return {testsupport::run_program(program, args, timeout_ms)};
    }
    Result read_into(const QString& path) { return run(QStringList{"read", "-o", path} + line()); }

    testing::TempDir dir;
    SimProcess sim{SimProcess::relay_program()};
    QString program;
};

TEST_F(CliE2eTest, ReadThenShowGivesTheRelaysSetpointsEventsAndMetering) {
    start();
    const QString f = file("relay.NEVA2");
    Result r = run(QStringList{"read", "--relay-name", "Feeder 7", "--programmer", "CI", "-o", f} + line());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.empty());
    // What the relay holds arrived in the file: its setpoints pass the page checks
    // and its newest events are stored with it.
    const Registro_Archivo rec = testing::read_record(f.toStdString());
    EXPECT_TRUE(check_setpoints(shipped_register_map(), rec.setpoints).empty());
    EXPECT_EQ(trimmed(rec.version.str()), "1.03");
    EXPECT_EQ(rec.events[0].str().rfind(" 25,", 0), 0u) << rec.events[0].str();
    EXPECT_EQ(rec.events[19].str().rfind(" 6,", 0), 0u) << rec.events[19].str();

    r = run({"show", f});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Relay name:\tFeeder 7\nObservations:\t"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Programmer:\tCI\n"), std::string::npos);
    r = run({"show", "--json", f});
    ASSERT_EQ(r.status, 0) << r.err;
    const QJsonObject show = r.json();
    EXPECT_EQ(show.value("firmware_version").toString(), "1.03");
    EXPECT_EQ(static_cast<std::size_t>(show.value("setpoints").toArray().size()),
              visible_entries(shipped_register_map()).size());

    // The relay's event record: the 20 newest of its 25 events, newest first.
    r = run(QStringList{"events", "--json"} + line());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.json().value("newest").toInt(), 25);
    const QJsonArray list = r.json().value("events").toArray();
    ASSERT_EQ(list.size(), 20);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(list[i].toObject().value("number").toInt(), 25 - i);
    r = run(QStringList{"metering", "--json"} + line());
    ASSERT_EQ(r.status, 0) << r.err;
    const QJsonArray currents = r.json().value("currents").toArray();
    ASSERT_EQ(currents.size(), 4);
    EXPECT_EQ(currents[3].toObject().value("label").toString(), "Ground Current:");
    for (const auto& c : currents) EXPECT_TRUE(c.toObject().value("amperes").isDouble());
}

TEST_F(CliE2eTest, WriteRefusesABadFileAndVerifiesAGoodOneOverAGarblingLine) {
    // Every second answer has a bad CRC: every write and every read-back has to be
    // repeated, and only the bytes read back identical count.
    start({"--bad-crc-every", "2"});
    const QString before = file("before.NEVA2"), bad = file("bad.NEVA2"), wanted = file("wanted.NEVA2"),
                  after = file("after.NEVA2");
    ASSERT_EQ(read_into(before).status, 0);
    const SetpointImage old = testing::read_record(before.toStdString()).setpoints;

    // Outside the limits: refused, each setpoint named, nothing sent.
    testing::write_modified_copy(before.toStdString(), bad.toStdString(), {{"0102", 6000}, {"0187", 15}, {"0194", 350}});
    Result r = run(QStringList{"write", bad} + line());
    EXPECT_EQ(r.status, 1);
    for (const char* says : {"Phase CT Rating Primary: (0102): raw value 6000 outside 5..5000",
                             "Phase Inst. O/C Delay: (0187): raw value 15",
                             "Gnd. O/C Alarm Pickup: (0194): raw value 350 outside 4..300"})
        EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Saved to the Relay"), std::string::npos) << r.err;

    // Two setpoints of different blocks to new values on their grids.
    const std::uint16_t ct = testing::word(old, "0102") == 500 ? 600 : 500;
    const std::uint16_t delay = testing::word(old, "0184") == 250 ? 350 : 250;
    testing::write_modified_copy(before.toStdString(), wanted.toStdString(), {{"0102", ct}, {"0184", delay}});
    r = run(QStringList{"write", wanted} + line());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Setpoints were Saved to the Relay memory"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("read back and identical"), std::string::npos) << r.err;
    // A fresh read holds exactly the good file's setpoints (none of the bad one's).
    ASSERT_EQ(read_into(after).status, 0);
    r = run({"diff", wanted, after});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(r.out.empty());

    // Against the relay's earlier state, exactly the two changes, with both texts.
    r = run({"diff", "--json", before, after});
    EXPECT_EQ(r.status, 1);
    const QJsonArray diffs = r.json().value("differences").toArray();
    ASSERT_EQ(diffs.size(), 2);
    EXPECT_EQ(diffs[0].toObject().value("label").toString(), "Phase CT Rating Primary:");
    EXPECT_EQ(diffs[0].toObject().value("b").toObject().value("raw").toInt(), ct);
    EXPECT_EQ(diffs[1].toObject().value("b").toObject().value("display").toString(), delay == 250 ? "2.5 Sec" : "3.5 Sec");
}

TEST_F(CliE2eTest, SilentRelayEndsWithAClearMessageNotAHang) {
    start({"--silent"});
    const Result r = run(QStringList{"read", "-o", file("never.NEVA2")} + line(), 45000);
    ASSERT_TRUE(r.finished) << "neva-cli did not end";
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no answer from the relay (address 1 on " + sim.pty_path().toStdString()), std::string::npos)
        << r.err;
    EXPECT_FALSE(QFileInfo::exists(file("never.NEVA2")));
}

TEST_F(CliE2eTest, UnsupportedRelayAndUsageErrorsEndAtOnce) {
    start({"--id", "12,2,250"});
    Result r = run(QStringList{"events"} + line());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("not a supported NEVA200 relay (identification 12, 2, 250)"), std::string::npos) << r.err;
    r = run(QStringList{"read"} + line());
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("needs -o FILE"), std::string::npos);
    EXPECT_EQ(run({"write", "--help"}).out.rfind("Usage: neva-cli write FILE", 0), 0u);
    r = run({"read", "--port", file("no-such-device"), "-o", file("x.NEVA2")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot open the serial port"), std::string::npos) << r.err;
}

// metering --watch: rows of the relay's (fixed) currents; --count ends it, and so
// does Ctrl+C, cleanly.
TEST_F(CliE2eTest, MeteringWatchRowsUntilCountOrCtrlC) {
    start({"--currents", "312.45,298.1,305.77,2.5"});
    const Result r = run(QStringList{"metering", "--watch", "--count", "3", "--csv", "--interval", "0.5"} + line(), 30000);
    EXPECT_EQ(r.status, 0) << r.err;
    const QStringList lines = QString::fromStdString(r.out).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << r.out;
    EXPECT_EQ(lines[0], "time,phase_a_A,phase_b_A,phase_c_A,ground_A");
    const QRegularExpression row(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3},312\.45,298\.10,305\.77,2\.50$)");
    for (int i = 1; i < 4; ++i) EXPECT_TRUE(row.match(lines[i]).hasMatch()) << lines[i].toStdString();
    EXPECT_LT(lines[1], lines[3]);

    QProcess text;
    text.start(program, QStringList{"metering", "--watch"} + line());
    QByteArray out;
    ASSERT_TRUE(testsupport::run_until(
        [&] {
            out += text.readAllStandardOutput();
            return out.contains('\n');
        },
        20000));
    ::kill(static_cast<pid_t>(text.processId()), SIGINT);
    ASSERT_TRUE(text.waitForFinished(15000));
    EXPECT_EQ(text.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(text.exitCode(), 0) << text.readAllStandardError().toStdString();
    out += text.readAllStandardOutput();
    EXPECT_TRUE(out.endsWith('\n'));
    EXPECT_TRUE(QString::fromUtf8(out).split('\n').first().endsWith("\t312.5 A\t298.1 A\t305.8 A\t2.50 A"));
}

// Ctrl+C while the connection is still being made to a relay that does not answer
// ends the watch then, quietly, not when the connection gives up ten seconds later.
TEST_F(CliE2eTest, MeteringWatchCtrlCWhileConnecting) {
    start({"--silent"});
    QProcess text;
    text.start(program, QStringList{"metering", "--watch"} + line());
    ASSERT_TRUE(text.waitForStarted());
    testsupport::run_for(1500);
    ::kill(static_cast<pid_t>(text.processId()), SIGINT);
    ASSERT_TRUE(text.waitForFinished(5000));
    EXPECT_EQ(text.exitCode(), 0);
    EXPECT_EQ(text.readAllStandardError().toStdString(), "");
}

// scan: a relay hidden at an unusual address is found and nothing else is reported;
// a range without it finds nothing. clock: set from the computer, it reads back
// within a second of it.
TEST_F(CliE2eTest, ScanFindsTheHiddenRelayOnlyWhereItIsAndItsClockIsSetFromTheComputer) {
    start({"--address", "173"});
    // A pseudo-terminal carries every speed, so one speed is scanned; the addresses
    // before the relay's make it hear requests for other slaves first.
    Result r = run({"scan", "--port", sim.pty_path(), "--speeds", "9600", "--addresses", "170-176", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
    const QJsonObject relay = r.json();
    EXPECT_EQ(relay["address"].toInt(), 173);
    EXPECT_EQ(relay["speed"].toInt(), 9600);
    EXPECT_EQ(relay["firmware"].toString(), "1.03");
    EXPECT_TRUE(relay["supported"].toBool());
    EXPECT_NE(r.err.find("this takes at most"), std::string::npos) << r.err;

    r = run({"scan", "--port", sim.pty_path(), "--speeds", "9600,19200", "--addresses", "1-20"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_NE(r.err.find("no relay answered"), std::string::npos) << r.err;

    r = run({"clock", "--port", sim.pty_path(), "--address", "173", "--set-now", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_TRUE(r.json()["before"].isObject()) << r.out;
    const QJsonObject after = r.json()["after"].toObject();
    EXPECT_LE(std::abs(after["offset_seconds"].toInt(99)), 1) << r.out;
    EXPECT_EQ(after["relay"].toString().left(10), after["computer"].toString().left(10));
}

}  // namespace
}  // namespace neva::cli
