// Nothing the user did is dropped without a question; a page shows what STORE stores.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>

#include "AppFixture.h"
#include "SetpointPageChecks.h"
#include "controls/UserControl1.h"
#include "link/NEVA200.h"
#include "ui/Inicio.h"
#include "ui/SetpointPage.h"

using namespace neva;
using namespace neva::apptest;

namespace {
struct UnsavedWork : OfflineProgram {
    void question(MsgAnswer a) { app.msgs->expect_message(Principal::kPreguntaGuardar, a); }
    SetpointPage* open_setpage6() {
        w->MnuPhProtec->trigger();
        return qobject_cast<SetpointPage*>(QApplication::activeModalWidget());
    }
    const char* kScratch = "Setpoints were Saved to the Computer's Scratch memory";
};
}  // namespace

TEST_F(UnsavedWork, ScratchStoreMarksTheWindowAndNewAndExitAskFirst) {
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
    question(MsgAnswer::Cancel);
    w->Nuevo->trigger();
    app.msgs->expect_message(std::string(" Are You Sure ?\n") + Principal::kCambiosPerdidos, MsgAnswer::No);
    w->Salida->trigger();
    EXPECT_NE(img.Imagen_Setpoints, pattern_image(1));
    question(MsgAnswer::Yes);
    app.msgs->expect_save_file(dir.filePath("work.NEVA2").toStdString());
    w->Nuevo->trigger();
    EXPECT_EQ(img.Imagen_Setpoints, pattern_image(1));
    EXPECT_FALSE(w->isWindowModified());
}

TEST_F(UnsavedWork, CommunicationErrorDarkensTheWindowAsksAndTheOpenPageFollows) {
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
    question(MsgAnswer::No);
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

TEST_F(UnsavedWork, ExternalModeAsksBeforeNewEndsTheConnection) {
    qputenv("NEVA_MARKER_FILE", dir.filePath("marker").toLocal8Bit());
    FakeApp ext;
    auto x = Inicio::Main(*ext.ctx, "9600,N,8,1 1 1", {false, ruta()});
    ext.msgs->expect_message(Principal::kFinEnlaceExterno, MsgAnswer::No);
    ext.msgs->expect_message(Principal::kFinEnlaceExterno, MsgAnswer::Yes);
    x->Nuevo->trigger();
    EXPECT_TRUE(ext.ctx->state().Esperando_Respuesta);
    x->Nuevo->trigger();
    EXPECT_EQ(ext.ctx->images().Imagen_Setpoints, pattern_image(1));
    qunsetenv("NEVA_MARKER_FILE");
}
