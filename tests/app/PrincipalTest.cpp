#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPrinter>
#include <QTemporaryDir>

#include "AppFixture.h"
#include "connection/Comunicacion.h"
#include "controls/UserControl1.h"
#include "link/NEVA200.h"
#include "startup/Arranque.h"
#include "ui/Inicio.h"
#include "ui/Principal.h"

using namespace neva;
using namespace neva::apptest;

namespace {

struct PrincipalTest : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        write_setpoint_file(Arranque::ruta_archivo_defecto(ruta()), pattern_image(1), "Default");
        w = Inicio::Main(*app.ctx, "", {false, ruta()});
        w->terminar = [this] { ++ended; };
    }
    std::string ruta() const { return QDir::toNativeSeparators(dir.path()).toStdString(); }
    std::string file(const char* name) const { return dir.filePath(name).toStdString(); }
    bool queued(int canal, int accion) {
        auto& c = app.ctx->link().Colas();
        for (int i = 0; i < Proceso_Comunicacion::kSlots; ++i)
            if (c.Cola_Estado[canal][i] == Proceso_Comunicacion::kPending && c.Cola_Accion[canal][i] == accion)
                return true;
        return false;
    }

    QTemporaryDir dir;
    FakeApp app;
    std::unique_ptr<Principal> w;
    int ended = 0;
};

}  // namespace

TEST_F(PrincipalTest, MenusAccessKeysAndShortcuts) {
    EXPECT_EQ(w->Archivo->title(), "&File");
    EXPECT_EQ(w->Nuevo->shortcut(), QKeySequence("Ctrl+N"));
    EXPECT_EQ(w->Load_s->shortcut(), QKeySequence("Ctrl+L"));
    EXPECT_EQ(w->Save_s->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_EQ(w->Comunica->shortcut(), QKeySequence("F5"));
    EXPECT_EQ(w->MnuPhProtec->text(), "&Phase and Ground Protections ");
    EXPECT_EQ(w->Setup->title(), "S&etup");
    // Send and Print are there but cannot be chosen.
    EXPECT_FALSE(w->Send->isEnabled());
    EXPECT_FALSE(w->Imprimir->menuAction()->isEnabled());
    EXPECT_FALSE(w->P_Events->isEnabled());
    QStringList tips;
    for (auto* b : w->botones) {
        tips << b->toolTip();
        EXPECT_FALSE(b->icon().isNull());
    }
    EXPECT_EQ(tips, QStringList({"Open File", "Save File", "Print File", "All Actual Values", "Store", "Help"}));
}

TEST_F(PrincipalTest, SaveLoadAndNewThroughScriptedDialogs) {
    auto& img = app.ctx->images();
    auto& st = app.ctx->state();
    const std::string path = file("bay.NEVA2");

    img.Imagen_Edicion = pattern_image(9);
    st.Nombre_Rele = "Feeder 12";
    app.msgs->expect_save_file(path);
    w->Save_s_Click();
    app.msgs->verify();
    ASSERT_EQ(app.msgs->seen.size(), 1u);
    EXPECT_EQ(app.msgs->seen[0].dialog.filter, "NEVA Files (*.NEVA2)|*.NEVA2| All Files (*.*)|*.*|");
    EXPECT_TRUE(app.msgs->seen[0].dialog.overwrite_prompt);
    EXPECT_EQ(read_file(path).size(), 3168u);

    // Cancel: nothing read, nothing changed.
    img.Imagen_Edicion = pattern_image(20);
    app.msgs->expect_open_file(std::nullopt);
    w->Load_s_Click();
    EXPECT_EQ(img.Imagen_Edicion, pattern_image(20));

    // Load while communicating: the file's setpoints, the link stopped, the caption.
    st.En_Linea = true;
    app.msgs->expect_open_file(path);
    w->Load_s_Click();
    app.msgs->verify();
    EXPECT_EQ(img.Imagen_Edicion, pattern_image(9));
    EXPECT_EQ(img.Imagen_Setpoints, pattern_image(9));
    EXPECT_FALSE(st.En_Linea);
    EXPECT_EQ(w->windowTitle().toStdString(), path + " - NEVA Setup 2.0");
    EXPECT_EQ(w->panel(6), "Not Communicating..");
    EXPECT_EQ(st.Nombre_Rele.trimmed_right(), "Feeder 12");
    // Load takes the link's firmware text afterwards.
    EXPECT_EQ(st.Version_Rele, app.ctx->NEVA().Version.str());

    // The tool bar's first two buttons are Load and Save.
    app.msgs->expect_open_file(std::nullopt);
    w->botones[0]->trigger();
    app.msgs->expect_save_file(std::nullopt);
    w->botones[1]->trigger();
    app.msgs->verify();

    // New goes back to the default file.
    st.En_Linea = true;
    w->Nuevo->trigger();
    EXPECT_FALSE(st.En_Linea);
    EXPECT_EQ(img.Imagen_Edicion, pattern_image(1));
}

TEST_F(PrincipalTest, ResetOfflineAndOnline) {
    auto& st = app.ctx->state();
    app.msgs->expect_message("Only Communication Mode ", "NEVA", MsgButtons::Ok, MsgIcon::Information);
    w->Reset_Relay->trigger();
    app.msgs->verify();
    EXPECT_FALSE(queued(0, 11));

    st.En_Linea = true;
    st.Reset_Permitido = true;
    app.msgs->expect_message("Are you sure?", "NEVA Reset", MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::No);
    w->Reset_Relay_Click();
    app.msgs->verify();
    EXPECT_FALSE(queued(0, 11));

    app.msgs->expect_message("Are you sure?", "NEVA Reset", MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::Yes);
    w->Reset_Relay_Click();
    app.msgs->verify();
    EXPECT_TRUE(queued(0, 11));

    // While a page is queuing its read the question is not asked at all.
    st.Reset_Permitido = false;
    w->Reset_Relay_Click();
    EXPECT_TRUE(w->habilitada());
}

TEST_F(PrincipalTest, ExitAndCloseBoxAskFirst) {
    app.msgs->expect_message(" Are You Sure ?", "NEVA Setup 2.0", MsgButtons::YesNo, MsgIcon::Question,
                             MsgAnswer::No);
    w->Salida->trigger();
    app.msgs->verify();
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(w->isVisible());

    ASSERT_TRUE(app.port->open());
    app.msgs->expect_message(" Are You Sure ?", "NEVA Setup 2.0", MsgButtons::YesNo, MsgIcon::Question,
                             MsgAnswer::No);
    EXPECT_FALSE(w->close());
    app.msgs->verify();
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(app.port->is_open());
    EXPECT_EQ(ended, 0);

    app.msgs->expect_message(" Are You Sure ?", "NEVA Setup 2.0", MsgButtons::YesNo, MsgIcon::Question,
                             MsgAnswer::Yes);
    EXPECT_TRUE(w->close());
    app.msgs->verify();
    EXPECT_FALSE(app.port->is_open());
    EXPECT_EQ(ended, 1);
}

TEST_F(PrincipalTest, ExitWithYesClosesThePortAndEnds) {
    ASSERT_TRUE(app.port->open());
    app.ctx->link().Timer2().set_enabled(true);
    app.msgs->expect_message(" Are You Sure ?", "NEVA Setup 2.0", MsgButtons::YesNo, MsgIcon::Question,
                             MsgAnswer::Yes);
    w->Salida_Click();
    app.msgs->verify();
    EXPECT_FALSE(app.port->is_open());
    EXPECT_FALSE(app.ctx->link().Timer2().enabled());
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(w->isVisible());
}

TEST_F(PrincipalTest, SendAsksForAValidAddressAndWritesBlockOne) {
    auto& st = app.ctx->state();
    const std::string path = file("send.NEVA2");
    write_setpoint_file(path, pattern_image(40), "To send");
    st.Puerto_Com = 3;
    st.Velocidad_Com = 4800;

    // A failed load stops the send before any question.
    app.msgs->expect_open_file(std::nullopt);
    w->Send_Click();
    app.msgs->verify();
    EXPECT_EQ(app.port->open_count, 0);

    app.msgs->expect_open_file(path)
        .expect_input("Relay Direction: 1", "0")
        .expect_message("Invalid Relay direction", "NEVA", MsgButtons::Ok, MsgIcon::None)
        .expect_input("Relay Direction: 1", std::nullopt)
        .expect_message("Invalid Relay direction")
        .expect_input("Relay Direction: 1", "abc")
        .expect_message("Invalid Relay direction")
        .expect_input("Relay Direction: 1", "247.6")  // would be 248 on the line
        .expect_message("Invalid Relay direction")
        .expect_input("Relay Direction: 1", "248")
        .expect_message("Invalid Relay direction")
        .expect_input("Relay Direction: 1", "247");
    w->Send_Click();
    app.msgs->verify();
    for (const auto& seen : app.msgs->seen) {
        if (seen.kind == neva::testing::ExpectedPrompt::Kind::Input) {
            EXPECT_EQ(seen.title, "Send To Relay");
        }
    }

    EXPECT_EQ(st.Direccion_Rele, 247);
    EXPECT_TRUE(st.Enviando_Archivo);
    EXPECT_EQ(st.Reintentos_Envio, 0);
    EXPECT_TRUE(app.port->is_open());
    EXPECT_EQ(app.port->port_number(), 3);
    EXPECT_EQ(app.port->settings(), "4800,N,8,1");
    ASSERT_FALSE(app.port->written.empty());
    const auto& frame = app.port->written.back();
    ASSERT_GE(frame.size(), 9u);
    EXPECT_EQ(frame[0], 247);   // the new address
    EXPECT_EQ(frame[1], 0x10);  // function 16: setpoint block 1
    EXPECT_EQ(frame[2], 0x01);
    EXPECT_EQ(frame[3], 0x00);
    // The data are the loaded file's setpoints.
    EXPECT_EQ(frame[7], pattern_image(40)[0]);
    EXPECT_EQ(frame[8], pattern_image(40)[1]);
    EXPECT_TRUE(w->habilitada());
}

TEST_F(PrincipalTest, StatusDisplayFollowsTheDecodedStatusWhileCommunicating) {
    auto& st = app.ctx->state();
    auto& link = app.ctx->link();
    // Status word 0203: trip, breaker closed, 51 pick-up, 50N pick-up.
    const auto pos = NEVA200::Calcula_Posicion_AV("0203");
    ASSERT_TRUE(pos);
    app.ctx->images().Imagen_AV[*pos] = 0x04;
    app.ctx->images().Imagen_AV[*pos + 1] = 0x49;
    st.En_Linea = true;
    link.Timer2().set_enabled(true);
    w->Timer2_Timer();
    auto* u = w->UserControl11;
    using U = UserControl1;
    EXPECT_TRUE(u->lampara_activa(U::kTrip));
    EXPECT_TRUE(u->lampara_activa(U::kCerrado));
    EXPECT_TRUE(u->lampara_activa(U::kPickUpI51));
    EXPECT_TRUE(u->lampara_activa(U::kPickUpIo50));
    EXPECT_FALSE(u->lampara_activa(U::kAbierto));
    EXPECT_FALSE(u->lampara_activa(U::kService));
    EXPECT_FALSE(u->lampara_activa(U::kAlarm));
    EXPECT_FALSE(u->lampara_activa(U::kPickUpIo51));
    EXPECT_EQ(w->panel(6), "Comunicating...");
    EXPECT_TRUE(link.Timer_Comunicacion().enabled());

    // The breaker opens.
    app.ctx->images().Imagen_AV[*pos] = 0x00;
    app.ctx->images().Imagen_AV[*pos + 1] = 0x14;
    w->Timer2_Timer();
    EXPECT_FALSE(u->lampara_activa(U::kTrip));
    EXPECT_FALSE(u->lampara_activa(U::kCerrado));
    EXPECT_TRUE(u->lampara_activa(U::kAbierto));
    EXPECT_TRUE(u->lampara_activa(U::kService));

    // Communication stops: everything dark, the tick stops itself.
    st.En_Linea = false;
    w->habilitar(false);
    w->Timer2_Timer();
    for (int i = 0; i < U::kIndicadores; ++i) EXPECT_FALSE(u->lampara_activa(static_cast<U::Indicador>(i)));
    EXPECT_EQ(u->Abierto(), 1);  // the values are kept
    EXPECT_FALSE(link.Timer2().enabled());
    EXPECT_EQ(w->panel(6), "Not Communicating....");
    EXPECT_TRUE(w->habilitada());
}

TEST_F(PrincipalTest, PagesPlugInAndPrintToPdf) {
    int creados = 0, refrescados = 0;
    auto pagina = [&](const char* texto) {
        RegistroPagina r;
        r.crear = [&, texto](Principal& p) {
            ++creados;
            auto* l = new QLabel(QString::fromLatin1(texto), &p, Qt::Dialog);
            l->resize(300, 200);
            return l;
        };
        r.refrescar = [&](QWidget*) { ++refrescados; };
        return r;
    };
    w->registrar_pagina(Pagina::SETPAGE2, pagina("System Setup"));
    w->registrar_pagina(Pagina::SETPAGE6, pagina("Protections"));
    w->registrar_pagina(Pagina::SETPAGE3, pagina("Output Relays"));

    // The menu opens one shared instance.
    w->Set_page2->trigger();
    QWidget* shared = w->pagina(Pagina::SETPAGE2);
    ASSERT_NE(shared, nullptr);
    EXPECT_TRUE(shared->isVisible());
    EXPECT_TRUE(shared->isModal());
    w->Set_page2->trigger();
    EXPECT_EQ(w->pagina(Pagina::SETPAGE2), shared);
    EXPECT_EQ(creados, 1);
    shared->close();

    const QString pdf = dir.filePath("setpoints.pdf");
    w->espera_impresion_ms = 0;
    w->dialogo_impresora = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    app.ctx->state().En_Linea = true;
    w->P_Setpoints_Click();
    EXPECT_FALSE(queued(0, 3));  // a request that sends nothing would only time out
    EXPECT_EQ(creados, 4);      // each printed page is loaded and unloaded again
    EXPECT_EQ(refrescados, 3);
    const std::string contenido = read_file(pdf.toStdString());
    ASSERT_FALSE(contenido.empty());
    EXPECT_EQ(contenido.rfind("%PDF", 0), 0u);
    std::size_t paginas = 0;
    for (std::size_t p = contenido.find("/Type /Page\n"); p != std::string::npos;
         p = contenido.find("/Type /Page\n", p + 1))
        ++paginas;
    EXPECT_EQ(paginas, 3u);
    EXPECT_TRUE(w->habilitada());

    // A cancelled printer dialog prints nothing.
    w->dialogo_impresora = [](QPrinter&) { return false; };
    QFile::remove(pdf);
    w->P_Actual_Click();
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_FALSE(app.ctx->state().Imprimiendo);
}
