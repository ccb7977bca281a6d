#include "AppFixture.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

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

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace neva::apptest
