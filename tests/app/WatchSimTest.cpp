// The watching pages against the relay simulator on a pseudo-terminal: the real
// serial port and timers, the message boxes scripted. Every wait is bounded.
//
// With NEVA_SCREENSHOT_DIR set, the metering and events pages are saved there as
// avpage1.png and avpage4.png while they show the simulator's values.

#include <gtest/gtest.h>

#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimeEdit>
#include <QTreeWidget>
#include <set>

#include "AppFixture.h"
#include "SimulatorFixture.h"
#include "image/ModAutoRango.h"
#include "link/NEVA200.h"
#include "ui/AVPAGE1.h"
#include "ui/AVPAGE2.h"
#include "ui/AVPAGE4.h"
#include "ui/DateTimeConfig.h"
#include "ui/Principal.h"

using namespace neva;
using namespace neva::apptest;

namespace {

class WatchWithSimulator : public SimulatorFixture {
protected:
    // Starts the simulator and the program connected to it from the command line.
    void start(const QStringList& sim_args) {
        start_relay(sim_args);
        start_program("9600,N,8,1 1 1");
        w->terminar = [] {};
        ASSERT_TRUE(run_until([&] { return ctx->state().En_Linea; }, 15000));
    }
    template <class Page>
    Page* open(Pagina p) {
        EXPECT_TRUE(w->abrir_pagina(p));
        return dynamic_cast<Page*>(w->pagina(p));
    }
    static void screenshot(QWidget* page, const char* name) {
        const QByteArray where = qgetenv("NEVA_SCREENSHOT_DIR");
        if (where.isEmpty()) return;
        EXPECT_TRUE(page->grab().save(QDir(QString::fromLocal8Bit(where)).filePath(name)));
    }
    // The page shows what the link decoded, through the auto-ranging.
    bool shows_link_current(ActualValuePage* page, int row, int posicion) {
        std::string texto, unidad;
        AutoRango(1, texto, unidad, to_fixed(ctx->NEVA().DatosDeVariables(posicion).number()));
        return page->LblMed[row]->text() == QString::fromStdString(texto) &&
               page->LblUni[row]->text() == QString::fromStdString(unidad);
    }
    // The list's event numbers, top down.
    static std::vector<int> numbers(AVPAGE4* page) {
        std::vector<int> r;
        for (const auto& e : page->filas()) r.push_back(e.id.trimmed().toInt());
        return r;
    }
    static bool newest_first_without_gaps(const std::vector<int>& n) {
        if (n.empty()) return false;
        for (std::size_t i = 1; i < n.size(); ++i)
            if (n[i] != n[i - 1] - 1) return false;
        return true;
    }
};

}  // namespace

TEST_F(WatchWithSimulator, MeteringFollowsTheRelayAndMaintenanceClearReachesIt) {
    start({"--event-every", "0"});

    QPointer<AVPAGE1> metering = open<AVPAGE1>(Pagina::AVPAGE1);
    ASSERT_TRUE(metering);
    // The load currents drift: the page follows them, every value with its unit.
    std::set<QString> seen;
    run_until(
        [&] {
            if (metering->LblMed[0]->text() != "###.##") seen.insert(metering->LblMed[0]->text());
            return seen.size() >= 3;
        },
        20000);
    EXPECT_GE(seen.size(), 3u);
    for (int row = 0; row < 4; ++row) EXPECT_TRUE(shows_link_current(metering, row, 12 + row)) << row;
    screenshot(metering, "avpage1.png");
    metering->Okey->click();
    ASSERT_TRUE(run_until([&] { return !metering; }, 5000)) << "closed at the next tick";
    EXPECT_TRUE(w->habilitada());

    // The relay's accumulated amperes are in the thousands: kiloamperes.
    QPointer<AVPAGE2> maintenance = open<AVPAGE2>(Pagina::AVPAGE2);
    ASSERT_TRUE(maintenance);
    ASSERT_TRUE(run_until([&] { return maintenance->LblMed[0]->text() != "###.##"; }, 10000));
    EXPECT_GT(maintenance->LblMed[0]->text().toInt(), 0);  // a relay in service for a while
    for (int row = 4; row < 7; ++row) {
        EXPECT_EQ(maintenance->LblUni[row]->text(), "KA") << row;
        EXPECT_TRUE(shows_link_current(maintenance, row, 13 + row)) << row;
    }
    msgs->expect_message("Are your sure that you want to clear Maintenance Data?", MsgAnswer::Yes);
    msgs->expect_message("Command executed", "NEVA", MsgButtons::Ok, MsgIcon::Information);
    maintenance->cmdClear->click();
    ASSERT_TRUE(run_until(
        [&] {
            return maintenance->LblMed[0]->text() == "0" && maintenance->LblMed[3]->text() == "0" &&
                   maintenance->LblMed[4]->text() == "0.00" && maintenance->LblUni[4]->text() == "A";
        },
        10000));
    msgs->verify();
    maintenance->Okey->click();
    ASSERT_TRUE(run_until([&] { return !maintenance; }, 5000));
    EXPECT_TRUE(w->habilitada());
    EXPECT_TRUE(ctx->state().En_Linea);
}

TEST_F(WatchWithSimulator, EventListShowsTheNewestEventsGrowsAndIsCleared) {
    start({"--events", "8", "--event-every", "4"});

    QPointer<AVPAGE4> page = open<AVPAGE4>(Pagina::AVPAGE4);
    ASSERT_TRUE(page);
    // The record as the relay holds it, newest first.
    ASSERT_TRUE(run_until(
        [&] {
            const auto n = numbers(page);
            return newest_first_without_gaps(n) && n.back() == 1 && n.front() == ctx->NEVA().Ultimo_Numero;
        },
        15000));
    const int first = numbers(page).front();
    EXPECT_GE(first, 8);

    // The relay records more: the list grows, still in order.
    ASSERT_TRUE(run_until(
        [&] {
            const auto n = numbers(page);
            return newest_first_without_gaps(n) && n.front() >= first + 1 && n.back() == 1;
        },
        20000));
    screenshot(page, "avpage4.png");

    msgs->expect_message("Are your sure that you want to clear Events?", MsgAnswer::Yes);
    msgs->expect_message("Command executed", "NEVA", MsgButtons::Ok, MsgIcon::Information);
    const int before = numbers(page).front();
    page->Clear->click();
    // The record restarts with the clear itself as event 1.
    ASSERT_TRUE(run_until(
        [&] {
            const auto f = page->filas();
            return !f.empty() && f.back().id.trimmed() == "1" && f.back().descripcion == " Events Clear" &&
                   numbers(page).front() < before;
        },
        15000));
    msgs->verify();
}

TEST_F(WatchWithSimulator, ClockWrittenFromTheDateAndTimePageIsTheRelaysClock) {
    start({"--event-every", "0"});

    QPointer<DateTimeConfig> page = open<DateTimeConfig>(Pagina::DateTimeConfig);
    ASSERT_TRUE(page);
    ASSERT_TRUE(run_until([&] { return !page->lblHora->text().isEmpty(); }, 10000));

    page->DateSys->setDate(QDate(2003, 3, 5));
    page->TimeSys->setTime(QTime(22, 20, 30));
    // The clock write and the apply command confirm nothing on screen.
    msgs->expect_message("Are your sure that you want to store Date and Time?", MsgAnswer::Yes);
    page->Store->click();
    const QString date = QString::fromStdString(ctx->clock().short_date(5, 3, 2003));
    ASSERT_TRUE(run_until(
        [&] { return page->lblFecha->text() == date && page->lblHora->text().startsWith("10:2"); }, 10000))
        << page->lblFecha->text().toStdString() << " " << page->lblHora->text().toStdString();
    EXPECT_TRUE(page->lblHora->text().endsWith("PM"));
    msgs->verify();
}

TEST_F(WatchWithSimulator, EventPrintWaitsForTheRecordThenPrintsTheEventsPage) {
    start({"--events", "12", "--event-every", "0"});
    const QString pdf = dir.filePath("events.pdf");
    w->dialogo_impresora = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    // The printed page: the rows it held when it was printed.
    std::vector<int> printed;
    w->registrar_pagina(Pagina::AVPAGE4, {[](Principal& p) -> QWidget* { return new AVPAGE4(p); },
                                          [&](QWidget* page) {
                                              auto* p4 = static_cast<AVPAGE4*>(page);
                                              p4->Actualiza_Valores();
                                              printed = numbers(p4);
                                          }});
    w->P_Events_Click();
    EXPECT_TRUE(ctx->state().Imprimiendo);
    EXPECT_FALSE(QFile::exists(pdf)) << "printed only once the record has been read";
    ASSERT_TRUE(run_until([&] { return !ctx->state().Imprimiendo; }, 20000));
    EXPECT_TRUE(QFile::exists(pdf));
    ASSERT_GE(printed.size(), 10u);
    EXPECT_EQ(printed.front(), 12);
    EXPECT_TRUE(newest_first_without_gaps(printed));
}
