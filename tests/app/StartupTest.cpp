#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>

#include "AppFixture.h"
#include "connection/Comunicacion.h"
#include "startup/Arranque.h"
#include "ui/Inicio.h"
#include "ui/Principal.h"

using namespace neva;
using namespace neva::apptest;

namespace {

struct StartupTest : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        marker = dir.filePath("marker").toStdString();
        qputenv("NEVA_MARKER_FILE", QByteArray::fromStdString(marker));
    }
    void TearDown() override { qunsetenv("NEVA_MARKER_FILE"); }
    std::string ruta() const { return QDir::toNativeSeparators(dir.path()).toStdString(); }
    std::string defecto() const { return Arranque::ruta_archivo_defecto(ruta()); }

    QTemporaryDir dir;
    std::string marker;
    FakeApp app;
};

}  // namespace

TEST_F(StartupTest, NormalStartIsOfflineWithTheDefaultFileLoaded) {
    write_setpoint_file(defecto(), pattern_image(3), "Bay 7");
    auto w = Inicio::Main(*app.ctx, "", {false, ruta()});
    auto& st = app.ctx->state();

    EXPECT_FALSE(st.Modo_Externo);
    EXPECT_FALSE(st.En_Linea);
    EXPECT_EQ(w->panel(3), "COM: 1");
    EXPECT_EQ(w->panel(4), "Baud Rate: 9600");
    EXPECT_EQ(w->panel(5), "Address: 1");
    EXPECT_EQ(w->panel(6), "Not Communicating....");
    EXPECT_TRUE(w->About->isVisible());
    EXPECT_TRUE(w->Setup->menuAction()->isVisible());
    EXPECT_EQ(app.ctx->images().Imagen_Setpoints, pattern_image(3));
    EXPECT_EQ(st.Nombre_Rele.trimmed_right(), "Bay 7");
    EXPECT_EQ(app.port->open_count, 0);
    // No launcher is watching a normal start.
    w->Form_Activate();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(marker)));
}

TEST_F(StartupTest, ExternalStartConnectsAtOnceAndHidesSetupAndAbout) {
    write_setpoint_file(defecto(), pattern_image(3), "Bay 7");
    auto w = Inicio::Main(*app.ctx, "9600,N,8,1 2 1", {true, ruta()});

    EXPECT_TRUE(app.ctx->state().Modo_Externo);
    EXPECT_FALSE(w->Setup->menuAction()->isVisible());
    EXPECT_FALSE(w->About->isVisible());
    // The port was opened with the line's settings and the first request went out,
    // without the question about saving setpoints.
    EXPECT_EQ(app.port->port_number(), 2);
    EXPECT_EQ(app.port->settings(), "9600,N,8,1");
    ASSERT_FALSE(app.port->written.empty());
    EXPECT_EQ(app.port->written.front().at(0), 1);  // slave address
    EXPECT_EQ(w->panel(3), "COM:2");
    EXPECT_EQ(w->panel(4), "Baud Rate: 9600");
    EXPECT_EQ(w->panel(5), "Address: 1");
    // No file is loaded in an external start.
    EXPECT_EQ(app.ctx->images().Imagen_Edicion, SetpointImage{});

    // The launcher sees 1 when the window is active, 2 when it is gone.
    EXPECT_EQ(read_file(marker), std::string("\x01\x00", 2));
    bool ended = false;
    w->terminar = [&] { ended = true; };
    EXPECT_TRUE(w->close());  // no question in external mode
    EXPECT_TRUE(ended);
    EXPECT_FALSE(app.port->is_open());
    EXPECT_EQ(read_file(marker), std::string("\x02\x00", 2));
}

TEST_F(StartupTest, MalformedCommandLineIsReportedAndTheProgramStartsNormally) {
    write_setpoint_file(defecto(), pattern_image(5), "Bay 7");
    const std::string linea = "9600,N,8,1 2 300";
    const auto esperado = Arranque::interpretar(linea);
    ASSERT_TRUE(esperado && !esperado->linea);
    app.msgs->expect_message(esperado->error, "NEVA", MsgButtons::Ok, MsgIcon::Exclamation);
    auto w = Inicio::Main(*app.ctx, linea, {false, ruta()});
    app.msgs->verify();
    EXPECT_NE(app.msgs->seen.at(0).text.find("relay address 300"), std::string::npos);
    EXPECT_FALSE(app.ctx->state().Modo_Externo);
    EXPECT_TRUE(w->Setup->menuAction()->isVisible());
    EXPECT_EQ(app.port->open_count, 0);
    EXPECT_EQ(app.ctx->images().Imagen_Edicion, pattern_image(5));
}

TEST_F(StartupTest, MissingDefaultFileStartsWithZeroedSetpointsAndCreatesNothing) {
    app.msgs->expect_message("It isn't NEVA File");
    auto w = Inicio::Main(*app.ctx, "", {false, ruta()});
    app.msgs->verify();
    EXPECT_EQ(app.ctx->images().Imagen_Setpoints, SetpointImage{});
    EXPECT_FALSE(QFile::exists(QString::fromStdString(defecto())));
}

TEST_F(StartupTest, BuildPutsAReadableFactoryFileBesideTheProgram) {
    ASSERT_TRUE(app.ctx->archivos().Leer_Archivo(NEVA_DEFAULT_FILE).loaded);
    // A factory setting, not an empty one: the phase CT primary (0102) is 400 A and
    // the relay address byte is 1.
    const auto& img = app.ctx->images().Imagen_Edicion;
    EXPECT_EQ(img[4] * 256 + img[5], 400);
    EXPECT_EQ(img[46], 1);
}
