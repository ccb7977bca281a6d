#include "ui/Inicio.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QMenu>
#include <QTimer>

#include "connection/Comunicacion.h"
#include "link/BasicCRC.h"
#include "startup/Arranque.h"
#include "ui/AppContext.h"
#include "ui/PaginasRegistradas.h"
#include "ui/Principal.h"
#include "ui/frmSplash.h"

namespace neva {

std::unique_ptr<Principal> Inicio::Main(AppContext& ctx, const std::string& linea, const OpcionesInicio& opciones) {
    Iniciar_Tablas_CRC();

    auto& st = ctx.state();
    std::string ruta = opciones.ruta_programa;
    if (ruta.empty()) ruta = QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString();
    st.Ruta_Programa = Arranque::sin_separador_final(ruta);
    st.En_Linea = false;
    st.Modo_Modem = false;

    auto comando = Arranque::interpretar(linea);
    if (comando && !comando->linea) {
        // A launcher that passes a broken line gets told what is wrong, and the user
        // gets a working program instead of a connection to a relay nobody chose.
        ctx.messages().message_box(comando->error, MsgButtons::Ok, MsgIcon::Exclamation, "NEVA");
    }

    std::unique_ptr<Principal> principal;
    std::unique_ptr<frmSplash> splash;
    if (comando && comando->linea) {
        st.Modo_Externo = true;
        st.Reset_Permitido = true;
        st.Velocidad_Com = comando->linea->velocidad;
        st.Puerto_Com = comando->linea->puerto;
        st.Direccion_Rele = comando->linea->direccion;
        principal = std::make_unique<Principal>(ctx);
        PaginasRegistradas::registrar(*principal);
        principal->Setup->menuAction()->setVisible(false);
        principal->About->setVisible(false);
        principal->Form_Load();
        // Connect at once, without showing the dialog and without asking about setpoints.
        auto& com = principal->comunicacion();
        com.Form_Load();
        com.Command1_Click();
    } else {
        st.Modo_Externo = false;
        st.Reset_Permitido = true;
        if (opciones.mostrar_splash) {
            splash = std::make_unique<frmSplash>();
            splash->show();
            splash->repaint();
            QCoreApplication::processEvents();
            // About three seconds, on the monotonic clock so that a start just before
            // midnight ends too; a key or a click closes the splash earlier.
            EsperaSplash espera(ctx.clock());
            QTimer despertar;
            despertar.start(20);
            while (!espera.terminada() && splash->isVisible())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        principal = std::make_unique<Principal>(ctx);
        PaginasRegistradas::registrar(*principal);
        principal->About->setVisible(true);
        principal->Form_Load();
    }
    if (splash) splash->close();
    principal->habilitar(true);
    principal->show();
    if (st.Modo_Externo) principal->Form_Activate();
    return principal;
}

}  // namespace neva
