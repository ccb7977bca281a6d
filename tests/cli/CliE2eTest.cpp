// neva-cli as a script runs it: the real binary, started with QProcess, against
// the relay simulator on a pseudo-terminal. Exit statuses, what lands in files and
// on the relay, what is said on standard error. Every wait is bounded; nothing
// asserts how long something took beyond "it ended".

#include <QByteArray>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include "CliFilesTestSupport.h"
#include "SimProcess.h"
#include "SetpointReport.h"

namespace neva::cli {
namespace {

using testsupport::SimProcess;
using testing::TempDir;

struct Result {
    int status = -1;
    bool finished = false;
    QByteArray out, err;
    std::string err_text() const { return err.toStdString(); }
    std::string out_text() const { return out.toStdString(); }
};

QString cli_program() {
    const QString from_env = qEnvironmentVariable("NEVA_CLI");
    return from_env.isEmpty() ? QStringLiteral(NEVA_CLI) : from_env;
}

// The silent relay needs five two-second time-outs; everything else far less.
Result run_cli(const QStringList& args, int timeout_ms = 60000) {
    QProcess p;
    p.start(cli_program(), args);
    Result r;
    if (!p.waitForStarted(10000)) return r;
    r.finished = p.waitForFinished(timeout_ms);
    if (!r.finished) {
        p.kill();
        p.waitForFinished(5000);
    }
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

QJsonObject json_of(const Result& r) {
    QJsonParseError e{};
    const QJsonDocument d = QJsonDocument::fromJson(r.out, &e);
    EXPECT_EQ(e.error, QJsonParseError::NoError) << e.errorString().toStdString() << "\n" << r.out_text();
    return d.object();
}

class CliE2eTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QFileInfo(SimProcess::relay_program()).isExecutable())
            GTEST_SKIP() << "relay simulator not built: " << SimProcess::relay_program().toStdString();
        ASSERT_TRUE(QFileInfo(cli_program()).isExecutable()) << cli_program().toStdString();
    }

    // A still relay: 25 events, no new ones while the test runs.
    void start(const QStringList& extra = {}) {
        QStringList args{QStringLiteral("--quiet"), QStringLiteral("--event-every"), QStringLiteral("0")};
        args += extra;
        ASSERT_TRUE(sim.start(args)) << sim.error().toStdString();
        port = sim.pty_path();
    }
    QStringList line() const { return {QStringLiteral("--port"), port}; }
    QString file(const char* name) const { return QString::fromStdString(dir.path(name)); }

    Result read_into(const QString& path) {
        return run_cli(QStringList{QStringLiteral("read"), QStringLiteral("-o"), path} + line());
    }

    TempDir dir;
    SimProcess sim{SimProcess::relay_program()};
    QString port;
};

TEST_F(CliE2eTest, ReadThenShowGivesTheRelaysSetpointsEventsAndMetering) {
    start();
    const QString f = file("relay.NEVA2");
    Result r = run_cli(QStringList{QStringLiteral("read"), QStringLiteral("--relay-name"), QStringLiteral("Feeder 7"),
                                   QStringLiteral("--programmer"), QStringLiteral("CI"), QStringLiteral("-o"), f} +
                       line());
    ASSERT_EQ(r.status, 0) << r.err_text();
    EXPECT_TRUE(r.out.isEmpty());

    // What the relay holds arrived in the file: its setpoints pass the page checks
    // and its newest events are stored with it.
    const Registro_Archivo rec = testing::read_record(f.toStdString());
    EXPECT_TRUE(check_setpoints(shipped_register_map(), rec.setpoints).empty());
    EXPECT_EQ(trimmed(rec.version.str()), "1.03");
    EXPECT_EQ(rec.events[0].str().rfind(" 25,", 0), 0u) << rec.events[0].str();
    EXPECT_EQ(rec.events[19].str().rfind(" 6,", 0), 0u) << rec.events[19].str();

    r = run_cli({QStringLiteral("show"), f});
    ASSERT_EQ(r.status, 0) << r.err_text();
    EXPECT_NE(r.out_text().find("Relay name:\tFeeder 7\n"), std::string::npos) << r.out_text();
    EXPECT_NE(r.out_text().find("Programmer:\tCI\n"), std::string::npos);

    r = run_cli({QStringLiteral("show"), QStringLiteral("--json"), f});
    ASSERT_EQ(r.status, 0) << r.err_text();
    const QJsonObject show = json_of(r);
    EXPECT_EQ(show.value("firmware_version").toString(), "1.03");
    const QJsonArray setpoints = show.value("setpoints").toArray();
    EXPECT_EQ(static_cast<std::size_t>(setpoints.size()), visible_entries(shipped_register_map()).size());
    for (const auto& v : setpoints) {
        const QJsonObject s = v.toObject();
        for (const char* key : {"page", "caption", "control", "register", "label", "display"})
            EXPECT_TRUE(s.value(key).isString()) << key;
        EXPECT_TRUE(s.value("raw").isDouble());
    }

    // The relay's event record: the 20 newest of its 25 events, newest first.
    r = run_cli(QStringList{QStringLiteral("events"), QStringLiteral("--json")} + line());
    ASSERT_EQ(r.status, 0) << r.err_text();
    const QJsonObject events = json_of(r);
    EXPECT_EQ(events.value("newest").toInt(), 25);
    const QJsonArray list = events.value("events").toArray();
    ASSERT_EQ(list.size(), 20);
    for (int i = 0; i < 20; ++i) {
        const QJsonObject e = list[i].toObject();
        EXPECT_EQ(e.value("number").toInt(), 25 - i);
        EXPECT_FALSE(e.value("description").toString().trimmed().isEmpty());
    }

    r = run_cli(QStringList{QStringLiteral("metering"), QStringLiteral("--json")} + line());
    ASSERT_EQ(r.status, 0) << r.err_text();
    const QJsonArray currents = json_of(r).value("currents").toArray();
    ASSERT_EQ(currents.size(), 4);
    EXPECT_EQ(currents[3].toObject().value("label").toString(), "Ground Current:");
    for (const auto& c : currents) EXPECT_TRUE(c.toObject().value("amperes").isDouble());
}

TEST_F(CliE2eTest, WriteIsReadBackAndDiffShowsWhatChanged) {
    start();
    const QString before = file("before.NEVA2"), wanted = file("wanted.NEVA2"), after = file("after.NEVA2");
    ASSERT_EQ(read_into(before).status, 0);
    const SetpointImage old = testing::read_record(before.toStdString()).setpoints;

    // Two setpoints of different blocks to new values on their grids.
    const std::uint16_t ct = testing::word(old, "0102") == 500 ? 600 : 500;
    const std::uint16_t delay = testing::word(old, "0184") == 250 ? 350 : 250;
    testing::write_modified_copy(before.toStdString(), wanted.toStdString(), {{"0102", ct}, {"0184", delay}});

    Result r = run_cli(QStringList{QStringLiteral("write"), wanted} + line());
    ASSERT_EQ(r.status, 0) << r.err_text();
    EXPECT_NE(r.err_text().find("read back and identical"), std::string::npos) << r.err_text();

    // A fresh read holds exactly the file's setpoints.
    ASSERT_EQ(read_into(after).status, 0);
    r = run_cli({QStringLiteral("diff"), wanted, after});
    EXPECT_EQ(r.status, 0) << r.out_text() << r.err_text();
    EXPECT_TRUE(r.out.isEmpty());

    // Against the relay's earlier state, exactly the two changes, with both texts.
    r = run_cli({QStringLiteral("diff"), before, after});
    EXPECT_EQ(r.status, 1);
    const QList<QByteArray> rows = r.out.trimmed().split('\n');
    ASSERT_EQ(rows.size(), 2) << r.out_text();
    EXPECT_TRUE(rows[0].startsWith("SETPOINTS - System Setup\tPhase CT Rating Primary:\t")) << rows[0].toStdString();
    EXPECT_TRUE(rows[1].endsWith(delay == 250 ? "\t2.5 Sec" : "\t3.5 Sec")) << rows[1].toStdString();

    r = run_cli({QStringLiteral("diff"), QStringLiteral("--json"), before, after});
    EXPECT_EQ(r.status, 1);
    const QJsonArray diffs = json_of(r).value("differences").toArray();
    ASSERT_EQ(diffs.size(), 2);
    EXPECT_EQ(diffs[0].toObject().value("b").toObject().value("raw").toInt(), ct);
    EXPECT_EQ(diffs[1].toObject().value("b").toObject().value("raw").toInt(), delay);
}

TEST_F(CliE2eTest, WriteOnALineThatGarblesEveryOtherAnswerIsVerifiedAndTheRelayHoldsIt) {
    // Every second answer has a bad CRC: every write and every read-back has to be
    // repeated, and only the bytes read back identical count.
    start({QStringLiteral("--bad-crc-every"), QStringLiteral("2")});
    const QString before = file("before.NEVA2"), wanted = file("wanted.NEVA2"), after = file("after.NEVA2");
    ASSERT_EQ(read_into(before).status, 0);
    const SetpointImage old = testing::read_record(before.toStdString()).setpoints;
    const std::uint16_t ct = testing::word(old, "0102") == 550 ? 450 : 550;
    testing::write_modified_copy(before.toStdString(), wanted.toStdString(), {{"0102", ct}, {"0184", 350}});

    Result r = run_cli(QStringList{QStringLiteral("write"), wanted} + line());
    ASSERT_EQ(r.status, 0) << r.err_text();
    EXPECT_NE(r.err_text().find("Setpoints were Saved to the Relay memory"), std::string::npos) << r.err_text();
    EXPECT_NE(r.err_text().find("read back and identical"), std::string::npos) << r.err_text();

    ASSERT_EQ(read_into(after).status, 0);
    r = run_cli({QStringLiteral("diff"), wanted, after});
    EXPECT_EQ(r.status, 0) << r.out_text() << r.err_text();
}

TEST_F(CliE2eTest, WriteRefusesAFileOutsideTheLimitsAndSendsNothing) {
    start();
    const QString before = file("before.NEVA2"), bad = file("bad.NEVA2"), after = file("after.NEVA2");
    ASSERT_EQ(read_into(before).status, 0);
    testing::write_modified_copy(before.toStdString(), bad.toStdString(),
                                 {{"0102", 6000}, {"0187", 15}, {"0194", 350}});

    Result r = run_cli(QStringList{QStringLiteral("write"), bad} + line());
    EXPECT_EQ(r.status, 1);
    const std::string err = r.err_text();
    EXPECT_NE(err.find("Phase CT Rating Primary: (0102): raw value 6000 outside 5..5000"), std::string::npos) << err;
    EXPECT_NE(err.find("Phase Inst. O/C Delay: (0187): raw value 15"), std::string::npos) << err;
    EXPECT_NE(err.find("Gnd. O/C Alarm Pickup: (0194): raw value 350 outside 4..300"), std::string::npos) << err;
    EXPECT_EQ(err.find("Saved to the Relay"), std::string::npos) << err;

    // The relay still holds what it held.
    ASSERT_EQ(read_into(after).status, 0);
    EXPECT_EQ(run_cli({QStringLiteral("diff"), before, after}).status, 0);
}

TEST_F(CliE2eTest, SilentRelayEndsWithAClearMessageNotAHang) {
    start({QStringLiteral("--silent")});
    const QString f = file("never.NEVA2");
    const Result r = run_cli(QStringList{QStringLiteral("read"), QStringLiteral("-o"), f} + line(), 45000);
    ASSERT_TRUE(r.finished) << "neva-cli did not end";
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err_text().find("no answer from the relay (address 1 on " + port.toStdString()), std::string::npos)
        << r.err_text();
    EXPECT_FALSE(QFileInfo::exists(f));
}

TEST_F(CliE2eTest, UnsupportedRelayAndUsageErrorsEndAtOnce) {
    start({QStringLiteral("--id"), QStringLiteral("12,2,250")});
    Result r = run_cli(QStringList{QStringLiteral("events")} + line());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err_text().find("not a supported NEVA200 relay (identification 12, 2, 250)"), std::string::npos)
        << r.err_text();

    r = run_cli({QStringLiteral("read"), QStringLiteral("--port"), port});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err_text().find("needs -o FILE"), std::string::npos);
    r = run_cli({QStringLiteral("write"), QStringLiteral("--help")});
    EXPECT_TRUE(r.out.startsWith("Usage: neva-cli write FILE"));
    r = run_cli({QStringLiteral("read"), QStringLiteral("--port"), file("no-such-device"), QStringLiteral("-o"),
                 file("x.NEVA2")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err_text().find("cannot open the serial port"), std::string::npos) << r.err_text();
}

}  // namespace
}  // namespace neva::cli
