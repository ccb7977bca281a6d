// neva-cli's settings records against the relay simulator: the history that reads
// and verified writes leave, its list, show, diff and export, reports of a relay and
// of a file, and a history that cannot be written, which never fails the command.

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "CliFilesTestSupport.h"
#include "RunUntil.h"
#include "SimProcess.h"

namespace neva::cli {
namespace {

using testsupport::SimProcess;
using testing::TempDir;

std::string read_text(const std::string& path) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

class CliRecords : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QFileInfo(SimProcess::relay_program()).isExecutable()) GTEST_SKIP() << "relay simulator not built";
        ASSERT_TRUE(sim.start({QStringLiteral("--quiet"), QStringLiteral("--event-every"), QStringLiteral("0")}))
            << sim.error().toStdString();
        data = QString::fromStdString(dir.path("data"));
    }
    // Runs neva-cli with its data folder in the test's folder; the exit status, and
    // standard output and error in `out` and `err`.
    int run(QStringList args, bool with_line = false) {
        if (with_line) args += {QStringLiteral("--port"), sim.pty_path()};
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), data);
        auto r = testsupport::run_program(QStringLiteral(NEVA_CLI), args, 60000, env);
        out = std::move(r.out);
        err = std::move(r.err);
        return r.status;
    }
    QJsonArray snapshots() {
        EXPECT_EQ(run({QStringLiteral("history"), QStringLiteral("list"), QStringLiteral("--json")}), 0) << err;
        return QJsonDocument::fromJson(QByteArray::fromStdString(out)).object().value("snapshots").toArray();
    }
    QString file(const char* name) const { return QString::fromStdString(dir.path(name)); }

    TempDir dir;
    SimProcess sim{SimProcess::relay_program()};
    QString data;
    std::string out, err;
};

TEST_F(CliRecords, ReadsAndVerifiedWritesLeaveTheirSnapshots) {
    ASSERT_EQ(run({QStringLiteral("read"), QStringLiteral("-o"), file("relay.NEVA2")}, true), 0) << err;
    QJsonArray list = snapshots();
    ASSERT_EQ(list.size(), 1);  // the two block reads of the connect make one snapshot
    QJsonObject found = list[0].toObject();
    EXPECT_EQ(found.value("kind").toString(), "as-found");
    EXPECT_EQ(found.value("port").toString(), sim.pty_path());
    EXPECT_EQ(found.value("address").toInt(), 1);
    EXPECT_EQ(found.value("firmware").toString(), "1.03");

    testing::write_modified_copy(dir.path("relay.NEVA2"), dir.path("changed.NEVA2"), {{"0184", 250}});
    ASSERT_EQ(run({QStringLiteral("write"), file("changed.NEVA2")}, true), 0) << err;
    list = snapshots();
    ASSERT_EQ(list.size(), 3);  // the relay as found before the write, then as left
    EXPECT_EQ(list[0].toObject().value("kind").toString(), "as-left");
    EXPECT_EQ(list[1].toObject().value("kind").toString(), "as-found");
    const QString before = QString::number(list[1].toObject().value("id").toInt());
    const QString after = QString::number(list[0].toObject().value("id").toInt());

    EXPECT_EQ(run({QStringLiteral("history"), QStringLiteral("diff"), before, after}), 1);
    EXPECT_EQ(out, "SETPOINTS - Phase and Ground Protections\tPhase Timed O/C Delay:\t1.0 Sec\t2.5 Sec\n") << out;
    ASSERT_EQ(run({QStringLiteral("history"), QStringLiteral("show"), after, QStringLiteral("--json")}), 0) << err;
    EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(out)).object().value("kind").toString(), "as-left");
    ASSERT_EQ(run({"history", "export", after, "-o", file("left.csv")}), 0) << err;
    EXPECT_NE(read_text(dir.path("left.csv")).find("Phase Timed O/C Delay:,2.5 Sec,250,0x0184"),
              std::string::npos);

    // A report of the relay says where and when it was read, and reads it: one more snapshot.
    ASSERT_EQ(run({QStringLiteral("report"), QStringLiteral("-o"), file("relay.html")}, true), 0) << err;
    const std::string html = read_text(dir.path("relay.html"));
    for (const std::string& want : {"<th>Port</th><td>" + sim.pty_path().toStdString() + "</td>",
                                    std::string("<th>Speed</th><td>9600 baud</td>"), std::string("<th>Read</th>")})
        EXPECT_NE(html.find(want), std::string::npos) << want;
    EXPECT_EQ(snapshots().size(), 4);
}

TEST_F(CliRecords, AHistoryThatCannotBeWrittenNeverFailsTheCommand) {
    ASSERT_TRUE(QDir().mkpath(data + "/neva-setup/history.sqlite"));  // a folder where the file should be
    ASSERT_EQ(run({QStringLiteral("read"), QStringLiteral("-o"), file("relay.NEVA2")}, true), 0) << err;
    EXPECT_NE(err.find("neva-cli: warning: settings history"), std::string::npos) << err;
    EXPECT_EQ(testing::read_record(dir.path("relay.NEVA2")).marker.str().substr(0, 5), "NEVA2");
    EXPECT_EQ(run({QStringLiteral("history"), QStringLiteral("list")}), 1);

    // Reports of a file need no history; the format comes from the name, or is asked for.
    EXPECT_EQ(run({QStringLiteral("report"), file("relay.NEVA2"), QStringLiteral("-o"), file("relay.csv")}), 0) << err;
    EXPECT_EQ(run({QStringLiteral("report"), file("relay.NEVA2"), QStringLiteral("-o"), file("relay.txt")}), 2);
}

}  // namespace
}  // namespace neva::cli
