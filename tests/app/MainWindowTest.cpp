// The main window, its start-up in both modes, the connection and properties
// dialogs and the small windows, on fake platform objects.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTextCursor>
#include <algorithm>
#include <unistd.h>

#include "AppFixture.h"
#include "connection/Comunicacion.h"
#include "connection/Propiedades.h"
#include "controls/UserControl1.h"
#include "link/NEVA200.h"
#include "services/LauncherMarker.h"
#include "services/QtMessageService.h"
#include "startup/Arranque.h"
#include "ui/Inicio.h"
#include "ui/SetpointPage.h"
#include "ui/frmAbout.h"
#include "ui/frmSplash.h"

using namespace neva;
using namespace neva::apptest;
using V = std::vector<QString>;

namespace {

struct MainWindow : OfflineProgram {
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(OfflineProgram::SetUp());
        c = &w->comunicacion();
    }
    void expect_save_question(MsgAnswer a) {
        app.msgs->expect_message("SetPoints Will be Lost, Do you want to save it?", "NEVA", MsgButtons::YesNoCancel,
                                 MsgIcon::Critical, a);
    }
    void expect_exit_question(MsgAnswer a) {
        app.msgs->expect_message(" Are You Sure ?", "NEVA Setup 2.0", MsgButtons::YesNo, MsgIcon::Question, a);
    }
    std::string defecto() const { return Arranque::ruta_archivo_defecto(ruta()); }
    SetpointPage* open_setpage6() {
        w->MnuPhProtec->trigger();
        return qobject_cast<SetpointPage*>(QApplication::activeModalWidget());
    }
    const char* kScratch = "Setpoints were Saved to the Computer's Scratch memory";
    Comunicacion* c = nullptr;
};

}  // namespace

TEST_F(MainWindow, NormalStartIsOfflineWithTheDefaultFileLoaded) {
    auto& st = app.ctx->state();
    EXPECT_FALSE(st.Modo_Externo || st.En_Linea);
    EXPECT_EQ(panels(*w), (V{"COM: 1", "Baud Rate: 9600", "Address: 1", "Not Communicating...."}));
    EXPECT_TRUE(w->About->isVisible() && w->Setup->menuAction()->isVisible());
    EXPECT_EQ(app.ctx->images().Imagen_Setpoints, pattern_image(1));
    EXPECT_EQ(st.Nombre_Rele.trimmed_right(), "Default");
    EXPECT_EQ(app.port->open_count, 0);
    w->Form_Activate();  // no launcher is watching a normal start
    EXPECT_FALSE(QFile::exists(dir.filePath("marker")));

    // The build's factory file is readable and addresses relay 1 (its setpoints are
    // the tool's show test's).
    ASSERT_TRUE(app.ctx->archivos().Leer_Archivo(NEVA_DEFAULT_FILE).loaded);
    EXPECT_EQ(app.ctx->images().Imagen_Edicion[46], 1);
}

TEST_F(MainWindow, ExternalStartConnectsAtOnceWithoutQuestionsAndTellsTheLauncher) {
    FakeApp ext;
    auto x = Inicio::Main(*ext.ctx, "9600,N,8,1 2 1", {true, ruta()});
    EXPECT_TRUE(ext.ctx->state().Modo_Externo);
    EXPECT_FALSE(x->Setup->menuAction()->isVisible() || x->About->isVisible());
    // The port opened with the line's settings and the first request went out, without
    // the question about saving setpoints; no file is loaded.
    EXPECT_EQ(ext.port->port_number(), 2);
    EXPECT_EQ(ext.port->settings(), "9600,N,8,1");
    ASSERT_FALSE(ext.port->written.empty());
    EXPECT_EQ(ext.port->written.front().at(0), 1);  // slave address
    EXPECT_EQ(x->panel(3) + x->panel(5), "COM:2Address: 1");
    EXPECT_EQ(ext.ctx->images().Imagen_Edicion, SetpointImage{});

    // The launcher sees 1 when the window is active, 2 when it is gone.
    const std::string marker = file("marker");
    EXPECT_EQ(read_file(marker), std::string("\x01\x00", 2));

    // New would end the launcher's connection: asked first.
    ext.msgs->expect_message(Principal::kFinEnlaceExterno, MsgAnswer::No);
    ext.msgs->expect_message(Principal::kFinEnlaceExterno, MsgAnswer::Yes);
    x->Nuevo->trigger();
    EXPECT_TRUE(ext.ctx->state().Esperando_Respuesta);
    x->Nuevo->trigger();
    EXPECT_EQ(ext.ctx->images().Imagen_Setpoints, pattern_image(1));
    bool gone = false;
    x->terminar = [&] { gone = true; };
    EXPECT_TRUE(x->close());  // no question in external mode
    EXPECT_TRUE(gone);
    EXPECT_FALSE(ext.port->is_open());
    EXPECT_EQ(read_file(marker), std::string("\x02\x00", 2));
}

TEST_F(MainWindow, MalformedCommandLineOrMissingDefaultFileStillStartsOffline) {
    const auto expected = Arranque::interpretar("9600,N,8,1 2 300");
    ASSERT_TRUE(expected && !expected->linea);
    FakeApp other;
    other.msgs->expect_message(expected->error, "NEVA", MsgButtons::Ok, MsgIcon::Exclamation);
    auto x = Inicio::Main(*other.ctx, "9600,N,8,1 2 300", {false, ruta()});
    other.msgs->verify();
    EXPECT_FALSE(other.ctx->state().Modo_Externo);
    EXPECT_TRUE(x->Setup->menuAction()->isVisible());
    EXPECT_EQ(other.port->open_count, 0);
    EXPECT_EQ(other.ctx->images().Imagen_Edicion, pattern_image(1));

    // Without the default file: zeroed setpoints, and nothing is created in its place.
    ASSERT_TRUE(QFile::remove(QString::fromStdString(defecto())));
    FakeApp bare;
    bare.msgs->expect_message("It isn't NEVA File");
    auto y = Inicio::Main(*bare.ctx, "", {false, ruta()});
    bare.msgs->verify();
    EXPECT_EQ(bare.ctx->images().Imagen_Setpoints, SetpointImage{});
    EXPECT_FALSE(QFile::exists(QString::fromStdString(defecto())));
}

TEST_F(MainWindow, SaveLoadAndNewThroughScriptedDialogs) {
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

TEST_F(MainWindow, ResetExitAndCloseAskFirst) {
    auto& st = app.ctx->state();
    app.msgs->expect_message("Only Communication Mode ", "NEVA", MsgButtons::Ok, MsgIcon::Information);
    w->Reset_Relay->trigger();
    st.En_Linea = st.Reset_Permitido = true;
    for (MsgAnswer a : {MsgAnswer::No, MsgAnswer::Yes}) {
        app.msgs->expect_message("Are you sure?", "NEVA Reset", MsgButtons::YesNo, MsgIcon::Question, a);
        w->Reset_Relay_Click();
        app.msgs->verify();
        EXPECT_EQ(queued(*app.ctx, 0, 11), a == MsgAnswer::Yes ? 1 : 0);
    }
    // While a page is queuing its read the question is not asked at all.
    st.Reset_Permitido = false;
    w->Reset_Relay_Click();
    st.En_Linea = false;

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
    EXPECT_TRUE(w->isVisible() && app.port->is_open());
    EXPECT_EQ(ended, 0);
    for (bool by_menu : {false, true}) {
        ASSERT_TRUE(app.port->open());
        app.ctx->link().Timer2().set_enabled(true);
        expect_exit_question(MsgAnswer::Yes);
        if (by_menu) w->Salida_Click();
        else EXPECT_TRUE(w->close());
        app.msgs->verify();
        EXPECT_FALSE(app.port->is_open() || app.ctx->link().Timer2().enabled() || w->isVisible());
        EXPECT_EQ(ended, by_menu ? 2 : 1);
    }
}

TEST_F(MainWindow, MenusOpenEachSetpointPageAndExitUnloadsIt) {
    const std::pair<QAction*, const char*> menus[] = {{w->Set_page2, "SETPAGE2"}, {w->MnuPhProtec, "SETPAGE6"},
                                                      {w->mnuOutputRel, "SETPAGE3"}, {w->mnuInputs, "SETPAGE4"},
                                                      {w->mnu_Event, "SETPAGE9"}};
    for (const auto& [menu, name] : menus) {
        menu->trigger();
        auto* page = qobject_cast<SetpointPage*>(QApplication::activeModalWidget());
        ASSERT_NE(page, nullptr) << name;
        EXPECT_EQ(page->objectName(), name);
        QPointer<QWidget> gone(page);
        page->Command2->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(gone.isNull()) << name;  // unloaded; the next open makes a new one
    }
}

TEST_F(MainWindow, ScratchStoreMarksTheWindowAndNewAndExitAskFirst) {
    auto& img = app.ctx->images();
    SetpointPage* page = open_setpage6();
    ASSERT_NE(page, nullptr);
    page->check("ChkPhTim", 7)->click();
    app.msgs->expect_message(kScratch);
    page->Command1->click();
    page->check("ChkGnd", 10)->click();  // not stored: the close box undoes it as EXIT does
    page->close();
    EXPECT_EQ(img.Imagen_Edicion, img.Imagen_Setpoints);
    EXPECT_TRUE(w->isWindowModified());
    expect_save_question(MsgAnswer::Cancel);
    w->Nuevo->trigger();
    app.msgs->expect_message(std::string(" Are You Sure ?\n") + Principal::kCambiosPerdidos, MsgAnswer::No);
    w->Salida->trigger();
    EXPECT_NE(img.Imagen_Setpoints, pattern_image(1));
    expect_save_question(MsgAnswer::Yes);
    app.msgs->expect_save_file(file("work.NEVA2"));
    w->Nuevo->trigger();
    EXPECT_EQ(img.Imagen_Setpoints, pattern_image(1));
    EXPECT_FALSE(w->isWindowModified());
}

TEST_F(MainWindow, CommunicationErrorDarkensTheWindowAsksAndTheOpenPageFollows) {
    auto& st = app.ctx->state();
    auto& link = app.ctx->link();
    app.ctx->images().Imagen_AV[*NEVA200::Calcula_Posicion_AV("0203") + 1] = 0x08;  // breaker closed
    st.En_Linea = true;
    st.Error_Comunicacion = false;
    w->Timer2_Timer();
    SetpointPage* page = open_setpage6();
    ASSERT_NE(page, nullptr);
    page->check("ChkPhTim", 7)->click();  // on screen, not stored
    st.unsaved_changes = true;
    ASSERT_TRUE(link.Imprimir_Eventos());
    app.msgs->while_shown = [&] {
        EXPECT_EQ(w->panel(6), "Not Communicating....");
        EXPECT_FALSE(w->UserControl11->lampara_activa(UserControl1::kCerrado));
    };
    app.msgs->expect_message(" Communication Error...");
    expect_save_question(MsgAnswer::No);
    link.NEVA_ErrorCommActivado();
    app.msgs->while_shown = nullptr;
    EXPECT_FALSE(st.Imprimiendo);  // that print can no longer finish
    expect_page_shows_image(*page, pattern_image(1));  // the default file's setpoints
    app.msgs->expect_message(kScratch);
    page->Command1->click();
    EXPECT_EQ(app.ctx->images().Imagen_Setpoints, pattern_image(1));
    // No room in the queue for the reads: no print that could never end.
    st.En_Linea = true;
    for (int i = 0; i < Proceso_Comunicacion::kSlots; ++i) link.Encolar_Proceso(0, 4);
    EXPECT_FALSE(link.Imprimir_Eventos() || st.Imprimiendo);
}

TEST_F(MainWindow, SendAsksForAValidAddressAndWritesBlockOne) {
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
    // The new address, function 16 on setpoint block 1, the loaded file's setpoints.
    const std::vector<std::uint8_t>& frame = app.port->written.back();
    ASSERT_GE(frame.size(), 9u);
    EXPECT_EQ(std::vector<std::uint8_t>(frame.begin(), frame.begin() + 4), (std::vector<std::uint8_t>{247, 0x10, 0x01, 0x00}));
    const SetpointImage sent = pattern_image(40);
    EXPECT_EQ(std::vector<std::uint8_t>(frame.begin() + 7, frame.begin() + 9),
              std::vector<std::uint8_t>(sent.begin(), sent.begin() + 2));
}

TEST_F(MainWindow, StatusDisplayFollowsTheDecodedStatusWhileCommunicating) {
    using U = UserControl1;
    auto& st = app.ctx->state();
    auto lit = [&] {
        std::vector<int> on;
        for (int i = 0; i < U::kIndicadores; ++i)
            if (w->UserControl11->lampara_activa(static_cast<U::Indicador>(i))) on.push_back(i);
        return on;
    };
    // Status word 0203: trip, breaker closed, 51 pick-up, 50N pick-up.
    const int pos = *NEVA200::Calcula_Posicion_AV("0203");
    app.ctx->images().Imagen_AV[pos] = 0x04;
    app.ctx->images().Imagen_AV[pos + 1] = 0x49;
    st.En_Linea = true;
    app.ctx->link().Timer2().set_enabled(true);
    w->Timer2_Timer();
    std::vector<int> want{U::kTrip, U::kCerrado, U::kPickUpI51, U::kPickUpIo50};
    std::sort(want.begin(), want.end());
    EXPECT_EQ(lit(), want);
    EXPECT_EQ(w->panel(6), "Comunicating...");

    // Communication stops: everything dark, the tick stops itself.
    st.En_Linea = false;
    w->habilitar(false);
    w->Timer2_Timer();
    EXPECT_TRUE(lit().empty());
    EXPECT_FALSE(app.ctx->link().Timer2().enabled());
    EXPECT_EQ(w->panel(6), "Not Communicating....");
    EXPECT_TRUE(w->habilitada());
}

TEST_F(MainWindow, PagesPlugInAndPrintSetpointsToPdf) {
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
    w->Set_page2->trigger();
    EXPECT_EQ(creados, 1);
    w->pagina(Pagina::SETPAGE2)->close();

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
    for (std::size_t p = contenido.find("/Type /Page\n"); p != std::string::npos; p = contenido.find("/Type /Page\n", p + 1))
        ++paginas;
    EXPECT_EQ(paginas, 3u);

    // A cancelled printer dialog prints nothing.
    w->dialogo_impresora = [](QPrinter&) { return false; };
    QFile::remove(pdf);
    w->P_Actual_Click();
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_FALSE(app.ctx->state().Imprimiendo);
}

TEST_F(MainWindow, ConnectionDialogShowsTheSettingsAndOkStoresOnlyTheFourLowSpeeds) {
    auto& st = app.ctx->state();
    st.Direccion_Rele = 17;
    st.Puerto_Com = 4;
    st.Velocidad_Com = 2400;
    st.Modo_Modem = true;
    w->Comunica->trigger();
    EXPECT_TRUE(c->isVisible());
    EXPECT_FALSE(w->habilitada());
    EXPECT_EQ(c->Byte_UnR1->value(), 17);
    EXPECT_EQ(c->Combo1->currentText(), "COM 4");
    EXPECT_EQ(c->Combo2->currentText(), "2400");
    EXPECT_TRUE(c->Option1[0]->isChecked());
    c->Cancelar->click();
    EXPECT_TRUE(w->habilitada());

    c->Form_Load();
    c->Combo1->setCurrentIndex(5);
    c->Combo2->setCurrentText("57600");
    c->Byte_UnR1->setValue(1);  // an unchanged address is still written into the image
    app.ctx->images().Imagen_Edicion[46] = 0;
    c->Okey->click();
    EXPECT_EQ(st.Puerto_Com, 6);
    EXPECT_EQ(st.Velocidad_Com, 2400);  // 57600 is not taken by OK
    EXPECT_EQ(app.ctx->images().Imagen_Edicion[46], 1);
    EXPECT_EQ(panels(*w), (V{"COM:6", "Baud Rate: 2400", "Address: 1", "Not Communicating...."}));
    EXPECT_TRUE(w->habilitada());
    EXPECT_EQ(app.port->open_count, 0);  // the link is not touched by OK

    // A speed that is not in the list cannot connect; a listed one above 9600 (from
    // an external start) is selected at load.
    st.Velocidad_Com = 14400;
    c->Form_Load();
    EXPECT_EQ(c->Combo2->currentIndex(), -1);
    app.msgs->expect_message(Comunicacion::kSinVelocidad, "NEVA", MsgButtons::Ok, MsgIcon::Exclamation);
    c->Command1_Click();
    app.msgs->verify();
    EXPECT_EQ(app.port->open_count, 0);
    EXPECT_EQ(st.Velocidad_Com, 14400);
    EXPECT_TRUE(c->Botones->isEnabled());
    st.Velocidad_Com = 19200;
    c->Form_Load();
    EXPECT_EQ(c->Combo2->currentText(), "19200");
}

TEST_F(MainWindow, ConnectionDialogOnConnectsOnTheDirectLineAndOffDisconnects) {
    auto& st = app.ctx->state();
    c->Form_Load();
    // A port that cannot open connects nothing; the status bar keeps its texts.
    app.port->fail_open = true;
    const V before = panels(*w);
    c->Combo1->setCurrentIndex(0);
    expect_save_question(MsgAnswer::No);
    app.msgs->expect_message("Invalid Number Port: COM 1");
    c->Command1_Click();
    app.msgs->verify();
    EXPECT_EQ(panels(*w), before);
    EXPECT_FALSE(st.Puerto_Abierto);
    EXPECT_FALSE(c->TmrStateCom().enabled());
    EXPECT_TRUE(c->Botones->isEnabled());

    app.port->fail_open = false;
    c->Combo1->setCurrentIndex(1);
    c->Combo2->setCurrentText("57600");
    c->Byte_UnR1->setValue(5);
    expect_save_question(MsgAnswer::No);
    c->Command1->click();
    app.msgs->verify();
    EXPECT_EQ(app.port->settings(), "57600,N,8,1");
    EXPECT_EQ(app.port->port_number(), 2);
    ASSERT_EQ(app.port->written.size(), 1u);
    EXPECT_EQ(app.port->written[0][0], 5);
    EXPECT_EQ(panels(*w), (V{"COM:2", "Baud Rate: 57600", "Address: 5", "Not Communicating...."}));

    // Not yet answered: the status timer waits.
    c->TmrStateCom_Timer();
    EXPECT_EQ(c->Label6->text(), "Communication Not Stablished");
    EXPECT_TRUE(c->TmrStateCom().enabled());
    st.En_Linea = true;
    st.Esperando_Respuesta = false;
    c->TmrStateCom_Timer();
    EXPECT_EQ(c->Label6->text(), "Communication Stablished");
    EXPECT_EQ(w->panel(6), "Communicating....");
    EXPECT_FALSE(c->TmrStateCom().enabled());

    // OFF: Cancel at the unsaved-work question keeps the link; after No, one 0x00 on
    // the open line, the default file back, offline.
    app.ctx->images().Imagen_Edicion = pattern_image(77);
    st.unsaved_changes = true;
    expect_save_question(MsgAnswer::Cancel);
    expect_save_question(MsgAnswer::No);
    c->Command2->click();
    EXPECT_TRUE(st.En_Linea);
    c->Command2->click();
    EXPECT_FALSE(st.En_Linea);
    EXPECT_EQ(app.port->written.back(), std::vector<std::uint8_t>{0x00});
    EXPECT_EQ(app.ctx->images().Imagen_Edicion, pattern_image(1));
    EXPECT_EQ(w->panel(6), "Not Communicating....");
    EXPECT_EQ(c->Label6->text(), "Communication Not Stablished");

    // Cancel, and Yes with the save dialog cancelled, connect nothing; Yes saves first.
    const std::string path = file("before.NEVA2");
    c->Form_Load();
    const int opened = app.port->open_count;
    expect_save_question(MsgAnswer::Cancel);
    expect_save_question(MsgAnswer::Yes);
    app.msgs->expect_save_file(std::nullopt);
    for (int i = 0; i < 2; ++i) c->Command1_Click();
    EXPECT_EQ(app.port->open_count, opened);
    expect_save_question(MsgAnswer::Yes);
    app.msgs->expect_save_file(path);
    c->Command1_Click();
    app.msgs->verify();
    EXPECT_EQ(read_file(path).size(), 3168u);
    EXPECT_TRUE(app.port->is_open());
}

TEST_F(MainWindow, ConnectionDialogWithModemSetsTheLinkButOpensNothing) {
    c->Form_Load();
    c->Option1[0]->click();
    EXPECT_TRUE(app.ctx->state().Modo_Modem);
    c->Combo1->setCurrentIndex(2);
    c->Combo2->setCurrentText("1200");
    c->Byte_UnR1->setValue(9);
    expect_save_question(MsgAnswer::No);
    c->Command1_Click();
    app.msgs->verify();
    auto& neva = app.ctx->NEVA();
    EXPECT_EQ(neva.Puerto_PC, 3);
    EXPECT_EQ(neva.Cadena_Com, "1200");
    EXPECT_EQ(neva.Direccion, 9);
    EXPECT_EQ(app.port->open_count, 0);
    EXPECT_EQ(c->Label6->text(), Comunicacion::kModemSinEnlace);  // says what that type is for
    EXPECT_FALSE(c->TmrStateCom().enabled());
    EXPECT_EQ(panels(*w), (V{"COM:3", "Baud Rate: 1200", "Address: 9", "Not Communicating...."}));
}

TEST_F(MainWindow, ModemFrameProgramsOnlyWhileTheLinkIsIdle) {
    auto& st = app.ctx->state();
    c->Form_Load();
    EXPECT_EQ(c->Combo3->currentText(), "9600");  // follows the link's speed
    // Talking to a relay: the modem must not get the link's requests.
    st.En_Linea = true;
    app.msgs->expect_message(Comunicacion::kModemConLinea, "NEVA", MsgButtons::Ok, MsgIcon::Exclamation);
    c->Modem->click();
    app.msgs->verify();
    EXPECT_EQ(app.port->open_count, 0);

    // Offline, with nothing that opens at the chosen location.
    st.En_Linea = false;
    app.port->fail_open = true;
    c->Combo4->setCurrentIndex(1);
    c->Option2[0]->setChecked(true);
    app.msgs->expect_message("Please Connect the Modem to COM2", MsgAnswer::Ok);
    app.msgs->expect_message("Modem Not Response");
    // While the modem is programmed nothing connects, disconnects or closes the dialog.
    app.msgs->while_shown = [&] {
        for (QPushButton* b : {c->Command1, c->Command2, c->Okey, c->Cancelar}) EXPECT_FALSE(b->isEnabled());
    };
    c->Modem->click();
    app.msgs->verify();
    EXPECT_TRUE(c->Frame4->isEnabled());
    EXPECT_FALSE(st.Modem_Programado);
}

TEST_F(MainWindow, PropertiesEditTheDescriptiveTexts) {
    auto& st = app.ctx->state();
    st.Nombre_Rele = "Old name";
    w->RELAY_P->trigger();
    auto& p = w->propiedades();
    EXPECT_EQ(p.Text2->text(), "Old name");
    p.Text2->setText("Feeder 3");
    p.Cancel->click();
    EXPECT_EQ(st.Nombre_Rele.trimmed_right(), "Old name");

    p.Form_Load();
    p.Text2->setText("Feeder 3");
    p.Text1->setText("J. Smith");
    p.Text3->setPlainText("Checked");
    p.Okey->click();
    EXPECT_EQ(st.Nombre_Rele.str(), "Feeder 3" + std::string(12, ' '));
    EXPECT_EQ(st.Programador.trimmed_right(), "J. Smith");
    EXPECT_EQ(st.Observaciones.trimmed_right(), "Checked");

    // Untouched observations keep their CR LF, also on the next edit, which stops at
    // the 100 bytes kept.
    st.Observaciones = "A\r\nB";
    for (const QString& typed : {QString(), QString(120, 'x')}) {
        p.Form_Load();
        p.Text3->moveCursor(QTextCursor::End);
        p.Text3->insertPlainText(typed);
        p.Okey->click();
    }
    EXPECT_EQ(st.Observaciones.str(), "A\r\nB" + std::string(96, 'x'));
    EXPECT_EQ(p.Text5->palette().color(QPalette::Base), p.Text5->palette().color(QPalette::Window));
}

TEST(SmallWindows, SplashAboutAndFileFilters) {
    frmSplash s;
    EXPECT_EQ(s.lblVersion->text(), "Version 2.0.2");
    s.show();
    QTest::keyClick(&s, Qt::Key_Space);
    EXPECT_FALSE(s.isVisible());
    EXPECT_TRUE(s.cerrado_por_usuario());
    EXPECT_EQ(frmAbout().lblVersion->text(), "Version: 2.0.2");

    // The save dialog's text has a blank before "All".
    EXPECT_EQ(QtMessageService::qt_filters("NEVA Files (*.NEVA2)|*.NEVA2| All Files (*.*)|*.*|"),
              QStringList({"NEVA Files (*.NEVA2)", "All Files (*)"}));
    EXPECT_EQ(QtMessageService::qt_filters("Text|*.txt;*.log"), QStringList({"Text (*.txt *.log)"}));
    EXPECT_TRUE(QtMessageService::qt_filters("").isEmpty());
}

TEST(LauncherMarker, WritesOnePrivateRecordAndNeverThroughALink) {
    neva::testing::TempDir dir;
    const std::string path = dir.path("marker");
    qputenv("NEVA_MARKER_FILE", QByteArray::fromStdString(path));
    EXPECT_EQ(LauncherMarker::default_path(), path);
    qunsetenv("NEVA_MARKER_FILE");

    LauncherMarker m(path);
    ASSERT_TRUE(m.write(LauncherMarker::kActivada)) << m.last_error();
    EXPECT_EQ(read_file(path), std::string("\x01\x00", 2));
    EXPECT_EQ(QFile::permissions(QString::fromStdString(path)) & QFileDevice::ReadOther, 0);

    // Someone plants a link to a file of ours: it is left alone; so is a folder in the way.
    neva::testing::write_file(dir.path("victim"), "precious");
    ASSERT_EQ(::symlink(dir.path("victim").c_str(), dir.path("planted").c_str()), 0);
    EXPECT_FALSE(LauncherMarker(dir.path("planted")).write(LauncherMarker::kDescargada));
    EXPECT_EQ(read_file(dir.path("victim")), "precious");
    EXPECT_FALSE(LauncherMarker(dir.dir().string()).write(1));
}
