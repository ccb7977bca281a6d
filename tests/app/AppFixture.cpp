#include "AppFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <algorithm>

#include "adapters/QtClock.h"
#include "adapters/QtSerialPort.h"
#include "adapters/QtTimerFactory.h"
#include "connection/ConnectionMemory.h"
#include "controls/Bits.h"
#include "controls/NumericEditorControl.h"
#include "image/Manejo_de_Datos.h"
#include "regmap/SetpointView.h"
#include "startup/Arranque.h"
#include "ui/Inicio.h"
#include "ui/SetpointPage.h"

namespace neva::apptest {

FakeApp::FakeApp(PortSwitch::Factory other_ports, std::unique_ptr<PortSource> port_source) {
    auto p = std::make_unique<testing::FakePort>();
    auto t = std::make_unique<testing::FakeTimerFactory>();
    auto m = std::make_unique<testing::ScriptedMessages>();
    auto c = std::make_unique<testing::FakeClock>();
    port = p.get();
    timers = t.get();
    msgs = m.get();
    clock = c.get();
    ctx = std::make_unique<AppContext>(std::move(p), std::move(t), std::move(m), std::move(c), std::move(other_ports),
                                       std::move(port_source));
}

void OfflineProgram::SetUp() {
    ASSERT_TRUE(dir.isValid());
    qputenv("NEVA_MARKER_FILE", dir.filePath("marker").toLocal8Bit());
    // No connection remembered from an earlier test.
    QFile::remove(QString::fromStdString(ConnectionMemory::path()));
    write_setpoint_file(Arranque::ruta_archivo_defecto(ruta()), pattern_image(1), "Default");
    w = Inicio::Main(*app.ctx, "", {false, ruta()});
    w->terminar = [this] { ++ended; };
}

void OfflineProgram::TearDown() { qunsetenv("NEVA_MARKER_FILE"); }

std::string OfflineProgram::ruta() const { return QDir::toNativeSeparators(dir.path()).toStdString(); }

void SimulatorFixture::start_relay(const QStringList& sim_args) {
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QFile::copy(NEVA_DEFAULT_FILE, dir.filePath("Default.NEVA2")));
    ASSERT_TRUE(sim.start(sim_args + QStringList{"--quiet"})) << sim.error().toStdString();
    qputenv("NEVA_COM1", sim.pty_path().toLocal8Bit());
    qputenv("NEVA_MARKER_FILE", dir.filePath("marker").toLocal8Bit());
    auto m = std::make_unique<testing::ScriptedMessages>();
    msgs = m.get();
    ctx = std::make_unique<AppContext>(std::make_unique<QtSerialPort>(), std::make_unique<QtTimerFactory>(),
                                       std::move(m), std::make_unique<QtClock>());
}

void SimulatorFixture::start_program(const std::string& command_line) {
    ASSERT_TRUE(ctx) << "the simulator did not start";
    w = Inicio::Main(*ctx, command_line, {false, QDir::toNativeSeparators(dir.path()).toStdString()});
}

void SimulatorFixture::TearDown() {
    w.reset();
    ctx.reset();
    sim.stop();
    qunsetenv("NEVA_COM1");
    qunsetenv("NEVA_MARKER_FILE");
}

SetpointImage pattern_image(std::uint8_t seed) {
    SetpointImage img{};
    for (std::size_t i = 0; i < img.size(); ++i) img[i] = static_cast<std::uint8_t>(seed + i * 7);
    return img;
}

void write_setpoint_file(const std::string& path, const SetpointImage& edicion, const std::string& nombre) {
    FakeApp writer;
    writer.ctx->images().Imagen_Edicion = edicion;
    writer.ctx->state().Nombre_Rele = nombre;
    writer.ctx->state().Version_Rele = "1.03";
    ASSERT_TRUE(writer.ctx->archivos().Guardar_Archivo(path, {}));
}

std::vector<int> pending(AppContext& ctx, int canal) {
    auto& c = ctx.link().Colas();
    std::vector<int> r;
    for (int i = 0; i < Proceso_Comunicacion::kSlots; ++i)
        if (c.Cola_Estado[canal][i] == Proceso_Comunicacion::kPending) r.push_back(c.Cola_Accion[canal][i]);
    return r;
}

int queued(AppContext& ctx, int canal, int accion) {
    const auto p = pending(ctx, canal);
    return static_cast<int>(std::count(p.begin(), p.end(), accion));
}

std::vector<QString> panels(const Principal& w) { return {w.panel(3), w.panel(4), w.panel(5), w.panel(6)}; }

bool same_block(const SetpointImage& a, const SetpointImage& b, int block) {
    const BlockBounds bb = block_bounds(block);
    return std::equal(a.begin() + bb.first, a.begin() + bb.last + 1, b.begin() + bb.first);
}

namespace {

// Calls `mismatch(entry name, shown, expected)` for every control that differs.
template <class F>
void compare(const SetpointPage& page, const SetpointImage& stored, F mismatch) {
    for (const RegisterMapEntry* e : shipped_register_map().page_entries(page.page().name)) {
        const QString name = QString::fromStdString(e->control_name());
        const SetpointView v = view_setpoint(*e, stored);
        std::string shown, want = v.display;
        switch (e->kind) {
            case ControlKind::Bits: shown = page.bits(name) ? page.bits(name)->current_text().toStdString() : "?"; break;
            case ControlKind::ListBox: shown = page.Combo1 ? page.Combo1->currentText().toStdString() : "?"; break;
            case ControlKind::CheckGroup:
                want.clear();
                for (int b = 0; b < 4; ++b) {
                    QCheckBox* c = page.check(QString::fromStdString(e->control), e->index + b);
                    shown += !c ? '?' : c->isChecked() ? '1' : '0';
                    want += ((v.raw >> b) & 1) ? '1' : '0';
                }
                break;
            default: shown = page.editor(name) ? page.editor(name)->text().toStdString() : "?";
        }
        if (shown != want) mismatch(e->name(), shown, want);
    }
}

}  // namespace

void expect_page_shows_image(const SetpointPage& page, const SetpointImage& stored) {
    compare(page, stored, [](const std::string& name, const std::string& shown, const std::string& want) {
        ADD_FAILURE() << name << " shows \"" << shown << "\", expected \"" << want << "\"";
    });
}

bool page_shows_image(const SetpointPage& page, const SetpointImage& stored) {
    bool same = true;
    compare(page, stored, [&](const std::string&, const std::string&, const std::string&) { same = false; });
    return same;
}

}  // namespace neva::apptest
