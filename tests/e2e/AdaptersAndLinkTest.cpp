// The Qt adapters: the serial port against a pseudo-terminal whose master side the
// test holds (the thresholds as the link relies on them, port naming, the device
// going away while open), and the clock's short dates, which carry the two-digit
// year the relay's time stamps hold, in the system locale's order, and still say
// something for a stamp that is no calendar date.
//
// The link engine with the real Qt serial port and timers against the relay
// simulator on a pseudo-terminal: what the relay sees on its line, what ends up in
// the images, and which messages the user gets. Every wait is bounded; nothing
// here asserts how long something took. (A setpoint write read back, a line that
// garbles answers and a relay that never answers are run over the line by the
// program's and the tool's tests.)

#include <gtest/gtest.h>

#include <QDate>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>
#include <memory>

#include "PtyMaster.h"
#include "monitor/LineMonitor.h"
#include "RunUntil.h"
#include "SimProcess.h"
#include "adapters/QtClock.h"
#include "adapters/QtSerialPort.h"
#include "adapters/QtTimerFactory.h"
#include "link/LinkController.h"
#include "testing/ScriptedMessages.h"

namespace neva {
namespace {

using testsupport::PtyMaster;
using testsupport::run_for;
using testsupport::run_until;

struct EventLog {
    int receive = 0, send = 0, lost = 0;
    void attach(SerialPort& port) {
        port.on_event = [this](SerialPort::Event e) { (e == SerialPort::Event::Receive ? receive : send)++; };
        port.on_lost = [this] { ++lost; };
    }
};

// The port open on COM7, the pseudo-terminal's slave side.
class QtSerialPortOpen : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        qputenv("NEVA_COM7", pty.slave());
        log.attach(port);
        port.set_port_number(7);
        port.set_settings("9600,N,8,1");
        ASSERT_TRUE(port.open()) << port.last_error().toStdString();
    }
    void TearDown() override { qunsetenv("NEVA_COM7"); }

    PtyMaster pty;
    QtSerialPort port;
    EventLog log;
};

TEST(QtSerialPortTest, NamesSettingsAndFailuresWithoutThrowing) {
    qputenv("NEVA_COM6", "/dev/ttyUSB3");
    EXPECT_EQ(QtSerialPort::device_name(6), QStringLiteral("/dev/ttyUSB3"));
    qunsetenv("NEVA_COM6");

    QtSerialPort::LineSettings s;
    ASSERT_TRUE(QtSerialPort::parse_settings("19200,E,7,2", s));
    EXPECT_EQ(s.parity, QSerialPort::EvenParity);
    EXPECT_EQ(s.stop_bits, QSerialPort::TwoStop);
    for (const char* bad : {"", "9600,N,8", "fast,N,8,1", "9600,X,8,1", "9600,N,9,1", "-5,N,8,1"})
        EXPECT_FALSE(QtSerialPort::parse_settings(bad, s)) << bad;

    // A missing device and settings the port cannot take fail the open quietly; a
    // closed port takes no bytes.
    qputenv("NEVA_COM8", "/dev/neva-no-such-device");
    QtSerialPort port;
    port.set_port_number(8);
    EXPECT_FALSE(port.open());
    EXPECT_FALSE(port.last_error().isEmpty());
    EXPECT_FALSE(port.write({1, 2, 3}));
    EXPECT_TRUE(port.read_all().empty());

    PtyMaster pty;
    ASSERT_TRUE(pty.ok());
    qputenv("NEVA_COM8", pty.slave());
    port.set_settings("9600,Q,8,1");
    EXPECT_FALSE(port.open());
    port.set_settings("9600,N,8,1");
    EXPECT_TRUE(port.open()) << port.last_error().toStdString();
    qunsetenv("NEVA_COM8");
}

TEST_F(QtSerialPortOpen, ReceiveThresholdFiresOnceWhenTheAnswerIsComplete) {
    port.set_receive_threshold(8);
    pty.send(QByteArray("\x01\x04\x02", 3));
    ASSERT_TRUE(run_until([&] { return port.bytes_waiting() == 3; }, 5000));
    EXPECT_EQ(log.receive, 0) << "a partial answer must not raise the event";
    pty.send(QByteArray("\x03\x00\x06\x81\xB0", 5));
    ASSERT_TRUE(run_until([&] { return log.receive == 1; }, 5000));
    // More bytes after the event raise nothing until the buffer is taken.
    pty.send(QByteArray("\x55\x66", 2));
    ASSERT_TRUE(run_until([&] { return port.bytes_waiting() == 10; }, 5000));
    EXPECT_EQ(log.receive, 1);
    const std::vector<std::uint8_t> got = port.read_all();
    EXPECT_EQ(got, (std::vector<std::uint8_t>{1, 4, 2, 3, 0, 6, 0x81, 0xB0, 0x55, 0x66}));

    // Taken buffer: the next whole answer raises the event again.
    pty.send(QByteArray(8, '\x11'));
    ASSERT_TRUE(run_until([&] { return log.receive == 2; }, 5000));
    port.read_all();

    // Threshold 0: never.
    port.set_receive_threshold(0);
    pty.send(QByteArray(20, '\x22'));
    ASSERT_TRUE(run_until([&] { return port.bytes_waiting() == 20; }, 5000));
    EXPECT_EQ(log.receive, 2);

    // Setting the threshold again re-arms it; clearing the buffers drops the input.
    port.clear_buffers();
    port.set_receive_threshold(4);
    pty.send(QByteArray(4, '\x33'));
    ASSERT_TRUE(run_until([&] { return log.receive == 3; }, 5000));
    EXPECT_EQ(log.send, 0);
}

TEST_F(QtSerialPortOpen, SendThresholdFiresWhenTheFrameHasLeft) {
    port.set_send_threshold(8);
    const std::vector<std::uint8_t> frame{1, 4, 2, 3, 0, 6, 0x81, 0xB0};
    ASSERT_TRUE(port.write(frame));
    ASSERT_TRUE(run_until([&] { return log.send == 1; }, 5000));
    QByteArray seen;
    ASSERT_TRUE(run_until([&] { seen += pty.take(); return seen.size() >= 8; }, 5000));
    EXPECT_EQ(seen, QByteArray(reinterpret_cast<const char*>(frame.data()), 8));

    // Each frame written gives its own event; threshold 0 gives none.
    ASSERT_TRUE(port.write_text("ATZ\r"));
    ASSERT_TRUE(run_until([&] { return log.send == 2; }, 5000));
    port.set_send_threshold(0);
    ASSERT_TRUE(port.write(frame));
    seen.clear();
    ASSERT_TRUE(run_until([&] { seen += pty.take(); return seen.size() >= 12; }, 5000));
    run_for(50);
    EXPECT_EQ(log.send, 2);
}

TEST_F(QtSerialPortOpen, DeviceGoneClosesThePortAndReportsOnce) {
    port.set_receive_threshold(8);
    pty.send(QByteArray(3, '\x01'));
    ASSERT_TRUE(run_until([&] { return port.bytes_waiting() == 3; }, 5000));

    // The other end goes away in the middle of an answer.
    pty.close_master();
    ASSERT_TRUE(run_until([&] { return log.lost == 1; }, 5000));
    EXPECT_FALSE(port.is_open());
    EXPECT_FALSE(port.write({1, 2}));
    run_for(200);
    EXPECT_EQ(log.lost, 1);
    EXPECT_EQ(log.receive, 0);
}

TEST(QtClockTest, ShortDatesUseTwoDigitYearsAndSurviveImpossibleDates) {
    QtClock clock;
    const QString pattern = QtClock::short_date_pattern();
    EXPECT_FALSE(pattern.contains(QLatin1String("yyyy")));
    EXPECT_TRUE(pattern.contains(QLatin1String("yy")));
    EXPECT_FALSE(pattern.contains(QLatin1String("MMM")));  // numbers only

    const std::string d = clock.short_date(5, 3, 2003);
    EXPECT_EQ(d, QLocale::system().toString(QDate(2003, 3, 5), pattern).toStdString());
    EXPECT_EQ(clock.short_date(5, 3, 1903), d);  // only the year in the century counts

    // 31 February and month 14 come from a garbled stamp: written by number.
    const std::string bad = clock.short_date(31, 2, 2007);
    EXPECT_NE(bad.find("31"), std::string::npos) << bad;
    EXPECT_NE(bad.find("07"), std::string::npos) << bad;
    EXPECT_NE(clock.short_date(3, 14, 2007).find("14"), std::string::npos);
}

using testsupport::SimProcess;

constexpr int kWaitMs = 20000;  // a lost device needs up to five two-second time-outs

class LinkE2eTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QFileInfo(SimProcess::relay_program()).isExecutable())
            GTEST_SKIP() << "relay simulator not built: " << SimProcess::relay_program().toStdString();
    }

    void TearDown() override {
        if (link) link->Desconectar();
        qunsetenv("NEVA_COM1");
    }

    // Starts a still relay (no new events, so the record does not move under the
    // test) with the given extra options, and builds the program's side.
    void start(const QStringList& extra = {}) {
        ASSERT_TRUE(sim.start(QStringList{"--quiet", "--event-every", "0"} + extra)) << sim.error().toStdString();
        qputenv("NEVA_COM1", sim.pty_path().toLocal8Bit());
        qt_port = std::make_unique<QtSerialPort>();
        line = std::make_unique<LineMonitor>(*qt_port, clock);
        link = std::make_unique<LinkController>(state, images, *line, timers, messages, clock);
        line->current_action = [this] { return link->NEVA().Accion; };
        link->on_disconnect = [this] { ++disconnects; };
    }

    // The link's action of every request sent so far, in order (31 for any event selection).
    std::vector<int> actions() const {
        std::vector<int> a;
        for (const LineEntry& e : line->entries())
            if (e.direction == LineEntry::Direction::Sent) a.push_back(e.action >= 31 && e.action <= 50 ? 31 : e.action);
        return a;
    }
    // True once something was written after a frame of an action.
    bool sent_past(int action) const {
        const std::vector<int> a = actions();
        return a.size() > 1 && std::find(a.begin(), a.end() - 1, action) != a.end() - 1;
    }
    bool all_events_shown() const {
        for (int k = 0; k < 20; ++k)
            if (link->NEVA().DatosDeVariables(64 + k).text().find(',') == std::string::npos) return false;
        return true;
    }
    // Online, the connect sequence done and the cyclic status read running.
    bool settled() const {
        if (!state.En_Linea || !all_events_shown()) return false;
        const std::vector<int> a = actions();
        return a.size() >= 3 && a[a.size() - 1] == 2 && a[a.size() - 2] == 2;
    }
    void connect_and_settle() {
        ASSERT_TRUE(link->Conectar(1, 9600, 1)) << qt_port->last_error().toStdString();
        ASSERT_TRUE(run_until([this] { return settled(); }, kWaitMs))
            << "connect sequence did not complete after " << actions().size() << " requests"
            << " online " << state.En_Linea << " error " << state.Error_Comunicacion;
    }

    SimProcess sim{SimProcess::relay_program()};  // destroyed last: the program lets go of the line first
    SharedState state;
    RegisterImages images;
    QtTimerFactory timers;
    QtClock clock;
    testing::ScriptedMessages messages;
    std::unique_ptr<QtSerialPort> qt_port;
    std::unique_ptr<LineMonitor> line;
    std::unique_ptr<LinkController> link;
    int disconnects = 0;
};

TEST_F(LinkE2eTest, ConnectSetTheClockAndLoseTheDeviceMidTransaction) {
    start();
    connect_and_settle();
    // Identification, both setpoint blocks, one read of every actual-value block,
    // the event record head, then the 20 newest events (25 down to 6), each a
    // selection and a read of the event window; then only the cyclic status read.
    const std::vector<int> a = actions();
    EXPECT_EQ(std::vector<int>(a.begin(), a.begin() + 9), (std::vector<int>{60, 61, 62, 4, 5, 6, 30, 31, 90}));
    EXPECT_EQ(link->NEVA().DatosDeVariables(83).number(), 6);
    EXPECT_EQ(state.Version_Rele, "1.03");

    // The clock the relay reports after the write and its apply command, shown as
    // the metering page does.
    link->NEVA().Date_Time(5, 3, 2003, 10, 20, 30);
    for (int action : {93, 92, 91}) link->Encolar_Proceso(0, action);
    ASSERT_TRUE(run_until([this] { return sent_past(91); }, kWaitMs));
    std::int32_t bloque = 4;
    link->NEVA().Devuelve_Datos(bloque);
    const std::string shown = link->NEVA().DatosDeVariables(40).text();
    EXPECT_EQ(shown.rfind(clock.short_date(5, 3, 2003) + " 10:20:3", 0), 0u) << shown;

    // Pull the plug right after a status request went out, before its answer: the
    // error path runs once and nothing is dispatched any more.
    bool pulled = false;
    line->on_entry = [&](const LineEntry& e) {
        if (!pulled && e.direction == LineEntry::Direction::Sent && e.action == 2) {
            pulled = true;
            sim.kill();
        }
    };
    messages.expect_message(" Communication Error...", "Communication Error", MsgButtons::Ok, MsgIcon::Critical);
    ASSERT_TRUE(run_until([&] { return disconnects > 0; }, kWaitMs));
    EXPECT_TRUE(state.Error_Comunicacion);
    EXPECT_FALSE(qt_port->is_open());
    const std::uint64_t frames = line->counters().requests;
    run_for(2500);
    EXPECT_EQ(line->counters().requests, frames);
    EXPECT_EQ(disconnects, 1);
}

}  // namespace
}  // namespace neva
