// Nothing the user did is dropped without a question, and nothing on screen differs
// from what STORE and Save write: the unsaved-work marker and questions, Cancel that
// cancels, pages that follow replaced setpoints, the close boxes, the properties texts.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextCursor>

#include "AppFixture.h"
#include "SetpointPageChecks.h"
#include "connection/Comunicacion.h"
#include "connection/Propiedades.h"
#include "controls/UserControl1.h"
#include "link/NEVA200.h"
#include "ui/Inicio.h"
#include "ui/SetpointPage.h"

using namespace neva;
using namespace neva::apptest;

namespace {

struct UnsavedWork : OfflineProgram {
    void expect_question(MsgAnswer a) {
        app.msgs->expect_message(Principal::kPreguntaGuardar, "NEVA", MsgButtons::YesNoCancel, MsgIcon::Critical, a);
    }
    SetpointPage* open_setpage6() {
        w->MnuPhProtec->trigger();
        return qobject_cast<SetpointPage*>(QApplication::activeModalWidget());
    }
    void expect_scratch_store() { app.msgs->expect_message("Setpoints were Saved to the Computer's Scratch memory"); }
};

}  // namespace

TEST_F(UnsavedWork, StoreMarksTheWindowAndNewLoadAndExitAskFirst) {
    auto& st = app.ctx->state();
    auto& img = app.ctx->images();
    EXPECT_FALSE(w->isWindowModified());
    SetpointPage* page = open_setpage6();
    ASSERT_NE(page, nullptr);
    page->check("ChkPhTim", 7)->click();
    expect_scratch_store();
    page->Command1->click();
    // An edit left unstored is undone by the close box as by EXIT.
    page->check("ChkGnd", 10)->click();
    page->close();
    EXPECT_EQ(img.Imagen_Edicion, img.Imagen_Setpoints);
    const SetpointImage stored = img.Imagen_Setpoints;
    EXPECT_NE(stored, pattern_image(1));
    EXPECT_TRUE(st.unsaved_changes);
    EXPECT_TRUE(w->isWindowModified());

    // Cancel, and Yes with the save dialog cancelled, change nothing.
    expect_question(MsgAnswer::Cancel);
    w->Nuevo->trigger();
    expect_question(MsgAnswer::Yes);
    app.msgs->expect_save_file(std::nullopt);
    w->Load_s->trigger();
    app.msgs->expect_message(std::string(" Are You Sure ?\n") + Principal::kCambiosPerdidos, MsgAnswer::No);
    w->Salida->trigger();
    app.msgs->verify();
    EXPECT_EQ(img.Imagen_Setpoints, stored);

    // Yes saves first, then New goes on; a load after No brings the saved work back.
    const std::string path = dir.filePath("work.NEVA2").toStdString();
    expect_question(MsgAnswer::Yes);
    app.msgs->expect_save_file(path);
    w->Nuevo->trigger();
    app.msgs->verify();
    EXPECT_EQ(img.Imagen_Setpoints, pattern_image(1));
    EXPECT_FALSE(w->isWindowModified());
    st.unsaved_changes = true;
    expect_question(MsgAnswer::No);
    app.msgs->expect_open_file(path);
    w->botones[0]->trigger();
    app.msgs->verify();
    EXPECT_EQ(img.Imagen_Setpoints, stored);
    EXPECT_FALSE(st.unsaved_changes);
}

TEST_F(UnsavedWork, CommunicationErrorDarkensTheWindowAsksAndTheOpenPageFollows) {
    auto& st = app.ctx->state();
    auto& img = app.ctx->images();
    img.Imagen_AV[*NEVA200::Calcula_Posicion_AV("0203") + 1] = 0x08;  // breaker closed
    st.En_Linea = true;
    st.Error_Comunicacion = false;
    w->Timer2_Timer();
    ASSERT_TRUE(w->UserControl11->lampara_activa(UserControl1::kCerrado));
    SetpointPage* page = open_setpage6();
    ASSERT_NE(page, nullptr);
    page->check("ChkPhTim", 7)->click();  // on screen, not stored
    st.unsaved_changes = true;

    app.msgs->while_shown = [&](const std::string& text) {
        if (text != " Communication Error...") return;
        EXPECT_EQ(w->panel(6), "Not Communicating....");
        EXPECT_FALSE(w->UserControl11->lampara_activa(UserControl1::kCerrado));
    };
    app.msgs->expect_message(" Communication Error...");
    expect_question(MsgAnswer::No);
    app.ctx->link().NEVA_ErrorCommActivado();
    app.msgs->verify();

    // The default file replaced the setpoints; the page shows them, STORE keeps them.
    EXPECT_EQ(img.Imagen_Setpoints, pattern_image(1));
    expect_page_shows_image(*page, img.Imagen_Setpoints);
    expect_scratch_store();
    page->Command1->click();
    EXPECT_EQ(img.Imagen_Setpoints, pattern_image(1));
}

TEST_F(UnsavedWork, CancelCancelsAndTheModemRunLocksTheDialog) {
    auto& st = app.ctx->state();
    Comunicacion& c = w->comunicacion();
    w->Comunica->trigger();
    // The window's close box does nothing while the dialog holds it disabled.
    EXPECT_FALSE(w->close());
    c.Combo1->setCurrentIndex(3);
    expect_question(MsgAnswer::Cancel);
    c.Command1->click();
    expect_question(MsgAnswer::Yes);
    app.msgs->expect_save_file(std::nullopt);
    c.Command1->click();
    app.msgs->verify();
    EXPECT_EQ(app.port->open_count, 0);
    EXPECT_EQ(st.Puerto_Com, 1);
    EXPECT_TRUE(c.Botones->isEnabled());

    // OFF with unsaved work: Cancel keeps the attempt going, No ends it.
    expect_question(MsgAnswer::No);
    c.Command1->click();
    st.unsaved_changes = true;
    expect_question(MsgAnswer::Cancel);
    c.Command2->click();
    EXPECT_TRUE(st.Esperando_Respuesta);
    expect_question(MsgAnswer::No);
    c.Command2->click();
    app.msgs->verify();
    EXPECT_FALSE(st.Esperando_Respuesta);
    EXPECT_FALSE(st.unsaved_changes);  // the default file is back

    app.msgs->while_shown = [&](const std::string&) {
        for (QPushButton* b : {c.Command1, c.Command2, c.Okey, c.Cancelar}) EXPECT_FALSE(b->isEnabled());
    };
    c.Option2[0]->setChecked(true);
    app.msgs->expect_message("Please Connect the Modem to COM1", MsgAnswer::Cancel);
    c.Modem->click();
    app.msgs->verify();
    for (QPushButton* b : {c.Command1, c.Command2, c.Okey, c.Cancelar}) EXPECT_TRUE(b->isEnabled());
}

TEST_F(UnsavedWork, ExternalModeAsksBeforeNewEndsTheConnection) {
    qputenv("NEVA_MARKER_FILE", dir.filePath("marker").toLocal8Bit());
    FakeApp ext;
    auto x = Inicio::Main(*ext.ctx, "9600,N,8,1 1 1", {false, ruta()});
    auto& st = ext.ctx->state();
    ASSERT_TRUE(st.Esperando_Respuesta);
    ext.msgs->expect_message(Principal::kFinEnlaceExterno, "NEVA", MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::No);
    x->Nuevo->trigger();
    EXPECT_TRUE(st.Esperando_Respuesta);
    ext.msgs->expect_message(Principal::kFinEnlaceExterno, MsgAnswer::Yes);
    x->Nuevo->trigger();
    ext.msgs->verify();
    EXPECT_EQ(ext.ctx->images().Imagen_Setpoints, pattern_image(1));
    qunsetenv("NEVA_MARKER_FILE");
}

TEST_F(UnsavedWork, PropertiesKeepUneditedObservationsAndTheirLength) {
    auto& st = app.ctx->state();
    st.Observaciones = "Line 1\r\nLine 2";
    const FixedText<100> before = st.Observaciones;
    w->RELAY_P->trigger();
    Propiedades& p = w->propiedades();
    p.Okey->click();
    EXPECT_EQ(st.Observaciones, before);
    EXPECT_FALSE(st.unsaved_changes);

    // Typed past the end: the box keeps what the text holds, line breaks as they came.
    p.Form_Load();
    p.Text3->moveCursor(QTextCursor::End);
    p.Text3->insertPlainText(QString(120, 'x'));
    p.Okey->click();
    EXPECT_EQ(st.Observaciones.str(), "Line 1\r\nLine 2" + std::string(86, 'x'));
    EXPECT_TRUE(st.unsaved_changes);
    EXPECT_EQ(p.Text5->palette().color(QPalette::Base), p.Text5->palette().color(QPalette::Window));
}
