// The trend window on the real serial port against the relay simulator holding
// fixed currents: what the chart plots and in which unit, the CSV log the user
// starts, the PNG export, and closing while logging.

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QLineSeries>
#include <QRegularExpression>
#include <QValueAxis>

#include "SimulatorFixture.h"
#include "ui/TrendWindow.h"

namespace neva::apptest {
namespace {

struct TrendWindowWithSimulator : SimulatorFixture {};

TEST_F(TrendWindowWithSimulator, PlotsLogsAndExportsTheRelaysCurrents) {
    start_relay({"--event-every", "0", "--currents", "312.45,298.1,305.77,2.5"});
    start_program("9600,N,8,1 1 1");
    ASSERT_TRUE(run_until([&] { return ctx->state().En_Linea; }, 15000));
    QAction* menu = w->findChild<QAction*>("mnuTrend");
    ASSERT_TRUE(menu);
    menu->trigger();
    auto* trend = w->findChild<TrendWindow*>();
    ASSERT_TRUE(trend && trend->isVisible());

    const std::string log = dir.filePath("feeder.csv").toStdString();
    msgs->expect_save_file(log);
    ASSERT_TRUE(trend->toggle_logging());
    ASSERT_TRUE(run_until([&] { return trend->logger().rows() >= 2; }, 20000));

    QFile file(QString::fromStdString(log));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], "time,phase_a_A,phase_b_A,phase_c_A,ground_A");
    const QRegularExpression row(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3},312\.45,298\.10,305\.77,2\.50$)");
    for (int i = 1; i < lines.size(); ++i) EXPECT_TRUE(row.match(lines[i]).hasMatch()) << lines[i].toStdString();

    // Plotted in the unit the metering page shows, with room above the largest.
    QCoreApplication::processEvents();
    const auto* a = trend->series(0);
    ASSERT_EQ(std::size_t(a->count()), trend->recorder().buffer().size());
    EXPECT_DOUBLE_EQ(a->at(a->count() - 1).y(), 312.45);
    EXPECT_EQ(trend->value_axis()->titleText(), "Current (A)");
    EXPECT_DOUBLE_EQ(trend->value_axis()->max(), 500);
    for (int k = 0; k < 3; ++k) trend->show_box(k)->setChecked(false);
    EXPECT_DOUBLE_EQ(trend->value_axis()->max(), 5);

    const QString png = dir.filePath("trend.png");
    msgs->expect_save_file(png.toStdString());
    ASSERT_TRUE(trend->export_png());
    QFile picture(png);
    ASSERT_TRUE(picture.open(QIODevice::ReadOnly));
    EXPECT_TRUE(picture.read(8).startsWith("\x89PNG"));

    // Closing while logging asks first; the log and the polling stop.
    msgs->expect_message("Logging to " + log + " is running. Stop logging and close the trend?", MsgAnswer::Yes);
    trend->close();
    EXPECT_FALSE(trend->isVisible());
    EXPECT_FALSE(trend->logger().active());
    EXPECT_FALSE(trend->recorder().running());
    msgs->verify();
}

}  // namespace
}  // namespace neva::apptest
