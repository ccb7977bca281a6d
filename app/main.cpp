// NEVA Setup: configuration and monitoring of one NEVA200 feeder protection relay.
//
// Started by the user: splash, then the main window, offline, with Default.NEVA2
// loaded. Started by another program with "<speed>,N,8,1 <port> <address>" on the
// command line: no splash, the Setup and About menus hidden, and the link started
// at once with those settings.

#include <QApplication>
#include <QIcon>
#include <QByteArray>
#include <QList>
#include <QStringList>

#include <cstdio>

#include "HistoryDatabase.h"
#include "services/QtMessageService.h"
#include "startup/Arranque.h"
#include "startup/ProgramHelp.h"
#include "ui/AppContext.h"
#include "ui/Inicio.h"
#include "ui/Principal.h"

namespace {

// While a relay is watched the link wakes the event loop three times per exchange,
// a few dozen times a second; Qt's own event dispatcher does that for about two
// thirds of the CPU time the glib one takes. glib's stays where a GTK-based
// platform theme may load, as that theme's native dialogs need glib's loop, and
// wherever the user chose with QT_NO_GLIB.
void choose_event_dispatcher() {
    if (qEnvironmentVariableIsSet("QT_NO_GLIB")) return;
    const QByteArray theme = qgetenv("QT_QPA_PLATFORMTHEME").toLower();
    if (theme.contains("gtk") || theme.contains("gnome")) return;
    if (theme.isEmpty()) {
        const QList<QByteArray> desktops = qgetenv("XDG_CURRENT_DESKTOP").toUpper().split(':');
        for (const char* gtk_desktop : {"GNOME", "X-CINNAMON", "UNITY", "MATE", "XFCE", "LXDE"})
            if (desktops.contains(gtk_desktop)) return;
    }
    qputenv("QT_NO_GLIB", "1");
}

}  // namespace

int main(int argc, char** argv) {
    // --help and --version answer on the terminal and need no display, so they come
    // before QApplication, which would refuse to start without one.
    if (auto text = neva::ProgramHelp::information_request(std::vector<std::string>(argv + 1, argv + argc))) {
        std::fputs(text->c_str(), stdout);
        return 0;
    }

    choose_event_dispatcher();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("NEVA Setup"));
    QApplication::setApplicationVersion(QString::fromStdString(neva::Arranque::version_programa()));
    // The desktop entry's name, so that a Wayland desktop shows the window under the
    // menu entry and its icon; the theme icon of an installed program, else our own.
    QGuiApplication::setDesktopFileName(QStringLiteral(NEVA_APP_ID));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral(NEVA_APP_ID), QIcon(QStringLiteral(":/icons/neva-setup.png"))));
    // The program ends through Exit or the close box of the main window only; the
    // connection dialog or a page left open must not keep it alive, nor end it.
    QApplication::setQuitOnLastWindowClosed(false);

    std::vector<std::string> args;
    const QStringList qargs = QCoreApplication::arguments();
    for (int i = 1; i < qargs.size(); ++i) args.push_back(qargs[i].toStdString());

    auto ctx = neva::AppContext::with_qt_platform();
    // Every read of the relay's setpoints and every verified write goes into the
    // settings history in the user's data folder.
    ctx->start_history(neva::records::HistoryDatabase::default_path());
    auto principal = neva::Inicio::Main(*ctx, neva::Arranque::unir_argumentos(args));
    if (auto* mensajes = dynamic_cast<neva::QtMessageService*>(&ctx->messages())) mensajes->set_parent(principal.get());
    principal->terminar = [] { QCoreApplication::quit(); };

    // The package checks start the installed program once, offscreen, and need to
    // know that it came up with the factory setpoints loaded from where it found them.
    if (qEnvironmentVariableIsSet("NEVA_SETUP_STARTUP_CHECK")) {
        const bool loaded = ctx->state().Archivo_Cargado;
        std::printf("%s %s\n", loaded ? "loaded" : "not loaded", ctx->ruta_archivo_defecto().c_str());
        principal.reset();
        return loaded ? 0 : 1;
    }
    const int rc = app.exec();
    principal.reset();
    return rc;
}
