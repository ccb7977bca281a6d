// neva-cli metering --watch against the relay simulator holding fixed currents:
// the rows are the relay's currents, --count ends it, and Ctrl+C ends it cleanly.

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <csignal>

#include <gtest/gtest.h>

#include "RunUntil.h"
#include "SimProcess.h"

namespace neva::cli {
namespace {

using testsupport::SimProcess;

TEST(CliWatchWithSimulator, RowsOfTheRelaysCurrentsUntilCountOrCtrlC) {
    SimProcess sim(SimProcess::relay_program());
    if (!QFileInfo(SimProcess::relay_program()).isExecutable()) GTEST_SKIP() << "relay simulator not built";
    ASSERT_TRUE(sim.start({"--quiet", "--event-every", "0", "--currents", "312.45,298.1,305.77,2.5"}))
        << sim.error().toStdString();

    QProcess csv;
    csv.start(QStringLiteral(NEVA_CLI),
              {"metering", "--watch", "--count", "3", "--csv", "--interval", "0.5", "--port", sim.pty_path()});
    ASSERT_TRUE(csv.waitForFinished(30000));
    EXPECT_EQ(csv.exitCode(), 0) << csv.readAllStandardError().toStdString();
    const QStringList lines = QString::fromUtf8(csv.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << lines.join('\n').toStdString();
    EXPECT_EQ(lines[0], "time,phase_a_A,phase_b_A,phase_c_A,ground_A");
    const QRegularExpression row(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3},312\.45,298\.10,305\.77,2\.50$)");
    for (int i = 1; i < 4; ++i) EXPECT_TRUE(row.match(lines[i]).hasMatch()) << lines[i].toStdString();
    EXPECT_LT(lines[1], lines[3]);

    // Until interrupted: Ctrl+C after the first row ends it with status 0 and whole rows.
    QProcess text;
    text.start(QStringLiteral(NEVA_CLI), {"metering", "--watch", "--port", sim.pty_path()});
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

}  // namespace
}  // namespace neva::cli
