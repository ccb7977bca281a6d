// NEVA Setup: configuration and monitoring of one NEVA200 feeder protection relay.
//
// Started by the user: splash, then the main window, offline, with Default.NEVA2
// loaded. Started by another program with "<speed>,N,8,1 <port> <address>" on the
// command line: no splash, the Setup and About menus hidden, and the link started
// at once with those settings.

#include <QApplication>
#include <QStringList>

#include "HistoryDatabase.h"
#include "services/QtMessageService.h"
#include "startup/Arranque.h"
#include "ui/AppContext.h"
#include "ui/Inicio.h"
#include "ui/Principal.h"

int main(int argc, char** argv) {
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
    // Every read of the relay's setpoints and every verified write goes into the
    // settings history in the user's data folder.
    ctx->start_history(neva::records::HistoryDatabase::default_path());
    auto principal = neva::Inicio::Main(*ctx, neva::Arranque::unir_argumentos(args));
    if (auto* mensajes = dynamic_cast<neva::QtMessageService*>(&ctx->messages())) mensajes->set_parent(principal.get());
    principal->terminar = [] { QCoreApplication::quit(); };
    const int rc = app.exec();
    principal.reset();
    return rc;
}
