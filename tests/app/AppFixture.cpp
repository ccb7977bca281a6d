#include "AppFixture.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

#include <QDir>
#include <QFile>

#include "connection/ConnectionMemory.h"
#include "startup/Arranque.h"
#include "ui/Inicio.h"

namespace neva::apptest {

FakeApp::FakeApp() {
    auto p = std::make_unique<testing::FakePort>();
    auto t = std::make_unique<testing::FakeTimerFactory>();
    auto m = std::make_unique<testing::ScriptedMessages>();
    auto c = std::make_unique<testing::FakeClock>();
    port = p.get();
    timers = t.get();
    msgs = m.get();
    clock = c.get();
    ctx = std::make_unique<AppContext>(std::move(p), std::move(t), std::move(m), std::move(c));
}

void OfflineProgram::SetUp() {
    ASSERT_TRUE(dir.isValid());
    // No connection remembered from an earlier test.
    QFile::remove(QString::fromStdString(ConnectionMemory::path()));
    write_setpoint_file(Arranque::ruta_archivo_defecto(ruta()), pattern_image(1), "Default");
    w = Inicio::Main(*app.ctx, "", {false, ruta()});
}

std::string OfflineProgram::ruta() const { return QDir::toNativeSeparators(dir.path()).toStdString(); }

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

int queued(AppContext& ctx, int canal, int accion) {
    auto& c = ctx.link().Colas();
    int n = 0;
    for (int i = 0; i < Proceso_Comunicacion::kSlots; ++i)
        if (c.Cola_Estado[canal][i] == Proceso_Comunicacion::kPending && c.Cola_Accion[canal][i] == accion) ++n;
    return n;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace neva::apptest
