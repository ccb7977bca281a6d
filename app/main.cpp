// NEVA Setup: configuration and monitoring of one NEVA200 feeder protection relay.
//
// Started by the user: splash, then the main window, offline, with Default.NEVA2
// loaded. Started by another program with "<speed>,N,8,1 <port> <address>" on the
// command line: no splash, the Setup and About menus hidden, and the link started
// at once with those settings.

#include <QApplication>
#include <QByteArray>
#include <QList>
#include <QStringList>

#include "services/QtMessageService.h"
#include "startup/Arranque.h"
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
    choose_event_dispatcher();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("NEVA Setup"));
    QApplication::setApplicationVersion(QString::fromStdString(neva::Arranque::version_programa()));
    // The program ends through Exit or the close box of the main window only; the
    // connection dialog or a page left open must not keep it alive, nor end it.
    QApplication::setQuitOnLastWindowClosed(false);

    std::vector<std::string> args;
    const QStringList qargs = QCoreApplication::arguments();
    for (int i = 1; i < qargs.size(); ++i) args.push_back(qargs[i].toStdString());

    auto ctx = neva::AppContext::with_qt_platform();
    auto principal = neva::Inicio::Main(*ctx, neva::Arranque::unir_argumentos(args));
    if (auto* mensajes = dynamic_cast<neva::QtMessageService*>(&ctx->messages())) mensajes->set_parent(principal.get());
    principal->terminar = [] { QCoreApplication::quit(); };
    const int rc = app.exec();
    principal.reset();
    return rc;
}
