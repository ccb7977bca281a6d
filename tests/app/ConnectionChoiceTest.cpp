// The connection dialog's ports beyond "COM 1".."COM 8" (this computer's serial
// ports, a device server, a Modbus TCP gateway), the remembered choice, and the line
// monitor's window. Fake ports and a fixed port list; no network.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

#include "AppFixture.h"
#include "connection/Comunicacion.h"
#include "connection/ConnectionMemory.h"
#include "link/Frames.h"
#include "startup/Arranque.h"
#include "ui/Inicio.h"
#include "ui/LineMonitorWindow.h"

using namespace neva;
using namespace neva::apptest;

namespace {

struct ListedPorts : PortSource {
    std::vector<SerialPortInfo> list;
    std::vector<SerialPortInfo> ports() const override { return list; }
};

// A program whose port list and port maker the test controls.
struct ProgramWithPorts : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QFile::remove(QString::fromStdString(ConnectionMemory::path()));
        start();
    }
    // A run of the program on the test's folder, with the test's port list and port maker.
    void start() {
        w.reset();
        auto source = std::make_unique<ListedPorts>();
        source->list = {{"/dev/ttyUSB0", "ttyUSB0", "FT232R USB UART", "FTDI", "A5"}};
        ports = source.get();
        app = std::make_unique<FakeApp>(
            [this](const PortTarget& t) {
                made.push_back(t.text());
                auto port = std::make_unique<neva::testing::FakePort>();
                last = port.get();
                return port;
            },
            std::move(source));
        ctx = app->ctx.get();
        msgs = app->msgs;
        write_setpoint_file(Arranque::ruta_archivo_defecto(dir.path().toStdString()), pattern_image(1), "Default");
        w = Inicio::Main(*ctx, "", {false, dir.path().toStdString()});
        c = &w->comunicacion();
    }
    void press_on() {
        msgs->expect_message("SetPoints Will be Lost, Do you want to save it?", MsgAnswer::No);
        c->Command1->click();
    }

    QTemporaryDir dir;
    std::unique_ptr<FakeApp> app;
    AppContext* ctx = nullptr;
    std::unique_ptr<Principal> w;
    neva::testing::ScriptedMessages* msgs = nullptr;
    ListedPorts* ports = nullptr;
    Comunicacion* c = nullptr;
    std::vector<std::string> made;
    neva::testing::FakePort* last = nullptr;
};

}  // namespace

TEST_F(ProgramWithPorts, ListsComputerPortsAndNetworksAfterTheEightComPorts) {
    c->Form_Load();
    ASSERT_EQ(c->Combo1->count(), 11);
    EXPECT_EQ(c->Combo1->itemText(7), "COM 8");
    EXPECT_EQ(c->Combo1->itemText(8), "/dev/ttyUSB0 - FT232R USB UART (FTDI, serial A5)");
    EXPECT_EQ(c->Combo1->itemText(9), Comunicacion::kEntradaTcp);
    EXPECT_EQ(c->Combo1->itemText(10), Comunicacion::kEntradaMbtcp);
    EXPECT_FALSE(c->host_text->isEnabled());

    // An adapter plugged in while the dialog is open appears on Refresh; the choice stays.
    c->Combo1->setCurrentIndex(8);
    ports->list.insert(ports->list.begin(), {"/dev/ttyACM0", "ttyACM0", "", "", ""});
    c->refresh_button->click();
    EXPECT_EQ(c->Combo1->count(), 12);
    EXPECT_EQ(c->Combo1->itemText(8), "/dev/ttyACM0");
    EXPECT_EQ(c->Combo1->currentText().toStdString().rfind("/dev/ttyUSB0", 0), 0u);

    // ON uses that device; Puerto_Com keeps its number; the status bar names the device.
    press_on();
    msgs->verify();
    EXPECT_EQ(made, std::vector<std::string>{"/dev/ttyUSB0"});
    ASSERT_TRUE(last && last->is_open());
    EXPECT_EQ(last->written.size(), 1u);  // the identification request
    EXPECT_EQ(ctx->state().Puerto_Com, 1);
    EXPECT_EQ(w->panel(3), "/dev/ttyUSB0");
}

TEST_F(ProgramWithPorts, NetworkChoiceNeedsAHostAndIsRememberedForTheNextRun) {
    c->Form_Load();
    c->Combo1->setCurrentIndex(10);  // Modbus TCP gateway
    EXPECT_TRUE(c->host_text->isEnabled());
    EXPECT_EQ(c->tcp_port_box->value(), 502);
    msgs->expect_message(Comunicacion::kSinHost);
    c->Command1->click();
    msgs->verify();
    EXPECT_TRUE(made.empty());

    c->host_text->setText(" 10.0.0.5 ");
    c->tcp_port_box->setValue(1502);
    c->Combo2->setCurrentIndex(4);  // 19200
    c->Byte_UnR1->setValue(12);
    press_on();
    msgs->verify();
    EXPECT_EQ(made, std::vector<std::string>{"mbtcp://10.0.0.5:1502"});
    EXPECT_EQ(ctx->port_switch().target().text(), "mbtcp://10.0.0.5:1502");
    EXPECT_EQ(w->panel(3), "mbtcp://10.0.0.5:1502");
    // Reopened in the same run, the dialog shows the address in use.
    c->Form_Load();
    EXPECT_EQ(c->Combo1->currentIndex(), 10);

    // The next run offers the same choice, speed and address; nothing is applied yet.
    start();
    c->Form_Load();
    EXPECT_EQ(c->Combo1->currentText(), Comunicacion::kEntradaMbtcp);
    EXPECT_EQ(c->host_text->text(), "10.0.0.5");
    EXPECT_EQ(c->tcp_port_box->value(), 1502);
    EXPECT_EQ(c->Combo2->currentText(), "19200");
    EXPECT_EQ(c->Byte_UnR1->value(), 12);
    EXPECT_EQ(ctx->state().Direccion_Rele, 1);
    EXPECT_EQ(ctx->port_switch().target().kind, PortTarget::Kind::Numbered);
}

TEST_F(ProgramWithPorts, LineMonitorWindowShowsPausesClearsAndSaves) {
    w->line_monitor_action->trigger();
    LineMonitorWindow& m = w->monitor_linea();
    ASSERT_TRUE(m.isVisible());
    c->Form_Load();
    c->Combo1->setCurrentIndex(9);
    c->host_text->setText("relay-server");
    press_on();
    EXPECT_NE(m.lines->toPlainText().indexOf("TX  01 04 00 00 00 03 B0 0B  identification: read 0000 x3"), -1)
        << m.lines->toPlainText().toStdString();
    EXPECT_NE(m.counters->text().indexOf("requests 1, good answers 0"), -1);

    m.pause_button->click();
    ctx->link().NEVA().Accion = 2;
    ctx->port().write(frame_read_input(1, 0x02, 0x03, 0x00, 0x06));
    EXPECT_EQ(m.lines->toPlainText().indexOf("status"), -1);
    m.pause_button->click();

    const std::string file = dir.filePath("trace.txt").toStdString();
    msgs->expect_save_file(file);
    ASSERT_TRUE(m.save_clicked());
    const std::string saved = read_file(file);
    // The counters ran on while paused; the ring did not.
    EXPECT_NE(saved.find("requests 2, good answers 0, time-outs 1"), std::string::npos) << saved;
    EXPECT_NE(saved.find("TX  01 04 00 00 00 03 B0 0B  identification"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("status"), std::string::npos) << saved;
    m.clear_button->click();
    EXPECT_TRUE(m.lines->toPlainText().isEmpty());
    EXPECT_TRUE(ctx->monitor().entries().empty());
    msgs->verify();
}
