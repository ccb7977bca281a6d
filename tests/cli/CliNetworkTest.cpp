// neva-cli over the network: the simulator as a serial device server (tcp://) and
// behind a Modbus TCP gateway (mbtcp://); servers that refuse or drop the
// connection; and the line monitor's verdict (--trace) for each fault the simulator
// can play. The tool runs while this process's event loop turns, so a server of the
// test's own can answer it. Every wait is bounded.

#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include "CliFilesTestSupport.h"
#include "RunUntil.h"
#include "SimProcess.h"

namespace neva::cli {
namespace {

using testsupport::SimProcess;

testsupport::ProgramRun cli(const QStringList& args) {
    return testsupport::run_program(qEnvironmentVariable("NEVA_CLI", QStringLiteral(NEVA_CLI)), args);
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class CliNetworkTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QFileInfo(SimProcess::relay_program()).isExecutable()) GTEST_SKIP() << "relay simulator not built";
    }
    testing::TempDir dir;
};

TEST_F(CliNetworkTest, ReadAndVerifiedWriteOverADeviceServerAndAGateway) {
    for (const char* kind : {"--tcp", "--modbus-tcp"}) {
        SCOPED_TRACE(kind);
        SimProcess relay{SimProcess::relay_program()};
        ASSERT_TRUE(relay.start({kind, "0", "--quiet", "--event-every", "0"})) << relay.error().toStdString();
        const QString port = relay.pty_path();
        ASSERT_TRUE(port.startsWith(kind == std::string("--tcp") ? "tcp://127.0.0.1:" : "mbtcp://127.0.0.1:"));
        const QString f = QString::fromStdString(dir.path("relay.NEVA2"));

        testsupport::ProgramRun r = cli({"read", "--port", port, "-o", f});
        ASSERT_EQ(r.status, 0) << r.err;
        r = cli({"write", f, "--port", port});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(has(r.err, "now holds the setpoints")) << r.err;
    }
}

TEST_F(CliNetworkTest, RefusedAndDroppedConnectionsEndWithTheirCause) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    const QString address = QStringLiteral("tcp://127.0.0.1:%1").arg(server.serverPort());
    // Accepts, then hangs up at once: a device server whose port is taken or broken.
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* s = server.nextPendingConnection()) {
            s->close();
            s->deleteLater();
        }
    });
    testsupport::ProgramRun r = cli({"metering", "--port", address});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.err, "127.0.0.1:" + std::to_string(server.serverPort()) + " closed the connection")) << r.err;

    server.close();  // nothing listens there any more
    r = cli({"metering", "--port", "mbtcp" + address.mid(3)});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.err, "was refused")) << r.err;
}

TEST_F(CliNetworkTest, TraceJudgesEveryFaultTheSimulatorPlays) {
    const struct {
        QStringList sim;
        QStringList cli;
        std::vector<std::string> trace;  // parts of the trace that must appear
        int status;
        std::string absent = {};  // and one that must not
    } cases[] = {
        {{"--tcp", "0"}, {}, {"TX  01 04 00 00 00 03", "identification: read 0000 x3: good"}, 0},
        {{"--tcp", "0", "--bad-crc-every", "2"}, {}, {": bad CRC", "(repeat)"}, 0},
        {{"--tcp", "0", "--baud", "1200"}, {}, {"status: read 0203 x6", ": good, "}, 0},
        // The gateway's short exception answer is taken at once, and the request repeated.
        {{"--modbus-tcp", "0", "--bad-crc-every", "2"},
         {},
         {"exception 11 (gateway target device failed to respond), ", "(repeat)"},
         0,
         "time-out after"},
        {{"--modbus-tcp", "0"}, {"--address", "7"}, {"RX  07 84 0B"}, 1},
        // A silent relay behind a connection that works is told apart from a network problem.
        {{"--tcp", "0", "--silent"},
         {},
         {"identification: read 0000 x3: time-out after", "nothing comes back: the relay does not answer"},
         1},
        {{"--tcp", "0", "--reply-delay", "2500"}, {}, {"late: not taken", "time-out after"}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sim.join(' ').toStdString() + " " + c.cli.join(' ').toStdString());
        SimProcess relay{SimProcess::relay_program()};
        ASSERT_TRUE(relay.start(c.sim + QStringList{"--quiet", "--event-every", "0"}));
        const testsupport::ProgramRun r = cli(QStringList{"metering", "--trace", "--port", relay.pty_path()} + c.cli);
        EXPECT_EQ(r.status, c.status) << r.err;
        for (const std::string& part : c.trace) EXPECT_TRUE(has(r.err, part)) << part << "\n" << r.err;
        EXPECT_TRUE(c.absent.empty() || !has(r.err, c.absent)) << r.err;
    }
}

}  // namespace
}  // namespace neva::cli
