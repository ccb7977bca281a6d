#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPrinter>

#include "AppFixture.h"
#include "connection/Comunicacion.h"
#include "controls/UserControl1.h"
#include "link/NEVA200.h"
#include "ui/Principal.h"

using namespace neva;
using namespace neva::apptest;

namespace {

struct PrincipalTest : OfflineProgram {
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(OfflineProgram::SetUp());
        w->terminar = [this] { ++ended; };
    }
    std::string file(const char* name) const { return dir.filePath(name).toStdString(); }
    void expect_exit_question(MsgAnswer a) {
        app.msgs->expect_message(" Are You Sure ?", "NEVA Setup 2.0", MsgButtons::YesNo, MsgIcon::Question, a);
    }
    int ended = 0;
};

}  // namespace

TEST_F(PrincipalTest, SaveLoadAndNewThroughScriptedDialogs) {
    auto& img = app.ctx->images();
    auto& st = app.ctx->state();
    const std::string path = file("bay.NEVA2");

    img.Imagen_Edicion = pattern_image(9);
    st.Nombre_Rele = "Feeder 12";
    app.msgs->expect_save_file(path);
    w->botones[1]->trigger();  // the tool bar's Save
    app.msgs->verify();
    EXPECT_EQ(app.msgs->seen.at(0).dialog.filter, "NEVA Files (*.NEVA2)|*.NEVA2| All Files (*.*)|*.*|");
    EXPECT_EQ(read_file(path).size(), 3168u);

    // Cancel: nothing read, nothing changed.
    img.Imagen_Edicion = pattern_image(20);
    app.msgs->expect_open_file(std::nullopt);
    w->Load_s_Click();
    EXPECT_EQ(img.Imagen_Edicion, pattern_image(20));

    // Load while communicating: the file's setpoints, the link stopped, the caption.
    st.En_Linea = true;
    app.msgs->expect_open_file(path);
    w->botones[0]->trigger();  // the tool bar's Load
    app.msgs->verify();
    EXPECT_EQ(img.Imagen_Setpoints, pattern_image(9));
    EXPECT_FALSE(st.En_Linea);
    EXPECT_EQ(w->windowTitle().toStdString(), path + " - NEVA Setup 2.0[*]");  // [*]: the unsaved-work marker
    EXPECT_EQ(w->panel(6), "Not Communicating..");
    EXPECT_EQ(st.Nombre_Rele.trimmed_right(), "Feeder 12");

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

    st.En_Linea = true;
    st.Reset_Permitido = true;
    for (MsgAnswer a : {MsgAnswer::No, MsgAnswer::Yes}) {
        app.msgs->expect_message("Are you sure?", "NEVA Reset", MsgButtons::YesNo, MsgIcon::Question, a);
        w->Reset_Relay_Click();
        app.msgs->verify();
        EXPECT_EQ(queued(*app.ctx, 0, 11), a == MsgAnswer::Yes ? 1 : 0);
    }

    // While a page is queuing its read the question is not asked at all.
    st.Reset_Permitido = false;
    w->Reset_Relay_Click();
    app.msgs->verify();
}

TEST_F(PrincipalTest, ExitAndCloseBoxAskFirst) {
    // While a dialog holds the window disabled its close box does nothing.
    w->habilitar(false);
    EXPECT_FALSE(w->close());
    w->habilitar(true);
    ASSERT_TRUE(app.port->open());
    expect_exit_question(MsgAnswer::No);
    w->Salida->trigger();
    expect_exit_question(MsgAnswer::No);
    EXPECT_FALSE(w->close());
    app.msgs->verify();
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(app.port->is_open());
    EXPECT_EQ(ended, 0);

    for (bool by_menu : {false, true}) {
        ASSERT_TRUE(app.port->open());
        app.ctx->link().Timer2().set_enabled(true);
        expect_exit_question(MsgAnswer::Yes);
        if (by_menu)
            w->Salida_Click();
        else
            EXPECT_TRUE(w->close());
        app.msgs->verify();
        EXPECT_FALSE(app.port->is_open());
        EXPECT_FALSE(app.ctx->link().Timer2().enabled());
        EXPECT_FALSE(w->isVisible());
        EXPECT_EQ(ended, by_menu ? 2 : 1);
    }
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

    app.msgs->expect_open_file(path);
    for (std::optional<std::string> bad : {std::optional<std::string>("0"), std::optional<std::string>(),
                                           std::optional<std::string>("abc"),
                                           std::optional<std::string>("247.6"),  // would be 248 on the line
                                           std::optional<std::string>("248")})
        app.msgs->expect_input("Relay Direction: 1", bad).expect_message("Invalid Relay direction");
    app.msgs->expect_input("Relay Direction: 1", "247");
    w->Send_Click();
    app.msgs->verify();

    EXPECT_EQ(st.Direccion_Rele, 247);
    EXPECT_TRUE(st.Enviando_Archivo);
    EXPECT_EQ(app.port->port_number(), 3);
    EXPECT_EQ(app.port->settings(), "4800,N,8,1");
    ASSERT_FALSE(app.port->written.empty());
    const auto& frame = app.port->written.back();
    ASSERT_GE(frame.size(), 9u);
    // The new address, function 16 on setpoint block 1, the loaded file's setpoints.
    EXPECT_EQ(std::vector<std::uint8_t>(frame.begin(), frame.begin() + 4),
              (std::vector<std::uint8_t>{247, 0x10, 0x01, 0x00}));
    EXPECT_EQ(frame[7], pattern_image(40)[0]);
    EXPECT_EQ(frame[8], pattern_image(40)[1]);
}

TEST_F(PrincipalTest, StatusDisplayFollowsTheDecodedStatusWhileCommunicating) {
    using U = UserControl1;
    auto& st = app.ctx->state();
    auto* u = w->UserControl11;
    // Status word 0203: trip, breaker closed, 51 pick-up, 50N pick-up.
    const auto pos = NEVA200::Calcula_Posicion_AV("0203");
    ASSERT_TRUE(pos);
    app.ctx->images().Imagen_AV[*pos] = 0x04;
    app.ctx->images().Imagen_AV[*pos + 1] = 0x49;
    st.En_Linea = true;
    app.ctx->link().Timer2().set_enabled(true);
    w->Timer2_Timer();
    for (int i = 0; i < U::kIndicadores; ++i) {
        const auto ind = static_cast<U::Indicador>(i);
        EXPECT_EQ(u->lampara_activa(ind),
                  ind == U::kTrip || ind == U::kCerrado || ind == U::kPickUpI51 || ind == U::kPickUpIo50)
            << U::rotulo(ind);
    }
    EXPECT_EQ(w->panel(6), "Comunicating...");

    // Communication stops: everything dark, the tick stops itself.
    st.En_Linea = false;
    w->habilitar(false);
    w->Timer2_Timer();
    for (int i = 0; i < U::kIndicadores; ++i) EXPECT_FALSE(u->lampara_activa(static_cast<U::Indicador>(i)));
    EXPECT_FALSE(app.ctx->link().Timer2().enabled());
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

    // The menu opens one shared modal instance.
    w->Set_page2->trigger();
    QWidget* shared = w->pagina(Pagina::SETPAGE2);
    ASSERT_NE(shared, nullptr);
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
    EXPECT_EQ(queued(*app.ctx, 0, 3), 0);  // a request that sends nothing would only time out
    EXPECT_EQ(creados, 4);                 // each printed page is loaded and unloaded again
    EXPECT_EQ(refrescados, 3);
    const std::string contenido = read_file(pdf.toStdString());
    EXPECT_EQ(contenido.rfind("%PDF", 0), 0u);
    std::size_t paginas = 0;
    for (std::size_t p = contenido.find("/Type /Page\n"); p != std::string::npos;
         p = contenido.find("/Type /Page\n", p + 1))
        ++paginas;
    EXPECT_EQ(paginas, 3u);

    // A cancelled printer dialog prints nothing.
    w->dialogo_impresora = [](QPrinter&) { return false; };
    QFile::remove(pdf);
    w->P_Actual_Click();
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_FALSE(app.ctx->state().Imprimiendo);
}
