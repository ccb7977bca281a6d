#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTextCursor>

#include "AppFixture.h"
#include "connection/Comunicacion.h"
#include "connection/Propiedades.h"
#include "link/NEVA200.h"
#include "ui/Principal.h"

using namespace neva;
using namespace neva::apptest;

namespace {

struct ComunicacionTest : OfflineProgram {
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(OfflineProgram::SetUp());
        c = &w->comunicacion();
    }
    void expect_save_question(MsgAnswer a) {
        app.msgs->expect_message("SetPoints Will be Lost, Do you want to save it?", "NEVA", MsgButtons::YesNoCancel,
                                 MsgIcon::Critical, a);
    }
    void expect_status_bar(const char* com, const char* baud, const char* address) {
        EXPECT_EQ(w->panel(3), com);
        EXPECT_EQ(w->panel(4), baud);
        EXPECT_EQ(w->panel(5), address);
    }

    Comunicacion* c = nullptr;
};

}  // namespace

TEST_F(ComunicacionTest, LoadShowsTheSettingsAndOkStoresOnlyTheFourLowSpeeds) {
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
    expect_status_bar("COM:6", "Baud Rate: 2400", "Address: 1");
    EXPECT_TRUE(w->habilitada());
    EXPECT_EQ(app.port->open_count, 0);  // the link is not touched by OK
}

TEST_F(ComunicacionTest, OnConnectsOnTheDirectLineAndOffDisconnects) {
    auto& st = app.ctx->state();
    c->Form_Load();
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
    expect_status_bar("COM:2", "Baud Rate: 57600", "Address: 5");

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
    const std::string path = dir.filePath("before.NEVA2").toStdString();
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

TEST_F(ComunicacionTest, OnWithModemSelectedSetsTheLinkButOpensNothing) {
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
    EXPECT_FALSE(c->TmrStateCom().enabled());
    expect_status_bar("COM:3", "Baud Rate: 1200", "Address: 9");
}

TEST_F(ComunicacionTest, OnWithoutASpeedOrWithAPortThatCannotOpenConnectsNothing) {
    auto& st = app.ctx->state();
    st.Velocidad_Com = 14400;  // not in the list
    c->Form_Load();
    EXPECT_EQ(c->Combo2->currentIndex(), -1);
    app.msgs->expect_message(Comunicacion::kSinVelocidad, "NEVA", MsgButtons::Ok, MsgIcon::Exclamation);
    c->Command1_Click();
    app.msgs->verify();
    EXPECT_EQ(app.port->open_count, 0);
    EXPECT_EQ(st.Velocidad_Com, 14400);
    EXPECT_TRUE(c->Botones->isEnabled());

    // A listed speed above 9600 (from an external start) is selected at load.
    st.Velocidad_Com = 19200;
    c->Form_Load();
    EXPECT_EQ(c->Combo2->currentText(), "19200");

    app.port->fail_open = true;
    c->Combo1->setCurrentIndex(0);
    expect_save_question(MsgAnswer::No);
    app.msgs->expect_message("Invalid Number Port: COM 1");
    c->Command1_Click();
    app.msgs->verify();
    EXPECT_FALSE(st.Puerto_Abierto);
    EXPECT_FALSE(c->TmrStateCom().enabled());
    EXPECT_EQ(w->panel(3), "COM: 1");  // status bar keeps its texts
    EXPECT_TRUE(c->Botones->isEnabled());
}

TEST_F(ComunicacionTest, PropertiesEditTheDescriptiveTexts) {
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

TEST_F(ComunicacionTest, ModemFrameProgramsOnlyWhileTheLinkIsIdle) {
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
    app.msgs->while_shown = [&](const std::string&) {
        for (QPushButton* b : {c->Command1, c->Command2, c->Okey, c->Cancelar}) EXPECT_FALSE(b->isEnabled());
    };
    c->Modem->click();
    app.msgs->verify();
    EXPECT_TRUE(c->Frame4->isEnabled());
    EXPECT_FALSE(st.Modem_Programado);
}
