// The actual value pages, the event record page and the date and time page on fake
// platform objects: the relay's answers are put into the actual-value image (or the
// link's decoded events) by hand and the pages' timers are fired by the test. How a
// page follows a real relay is run against the simulator (SimulatorTest).

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateEdit>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimeEdit>
#include <QTreeWidget>
#include <cstdio>

#include "AppFixture.h"
#include "link/NEVA200.h"
#include "ui/AVPAGE2.h"
#include "ui/AVPAGE4.h"
#include "ui/AVPAGE5.h"
#include "ui/DateTimeConfig.h"

using namespace neva;
using namespace neva::apptest;
using V = std::vector<QString>;

namespace {

struct WatchPagesTest : OfflineProgram {
    SharedState& st() { return app.ctx->state(); }
    NEVA200& neva() { return app.ctx->NEVA(); }
    int queued(int canal, int accion) { return apptest::queued(*app.ctx, canal, accion); }
    // A relay register (or two for a 32-bit value) as the link stores it: high byte first.
    void reg(int address, std::uint16_t valor) {
        char name[8];
        std::snprintf(name, sizeof name, "%04X", address);
        const int p = *NEVA200::Calcula_Posicion_AV(name);
        app.ctx->images().Imagen_AV[p] = static_cast<std::uint8_t>(valor >> 8);
        app.ctx->images().Imagen_AV[p + 1] = static_cast<std::uint8_t>(valor & 0xFF);
    }
    template <class Page>
    QPointer<Page> open(Pagina p) {
        EXPECT_TRUE(w->abrir_pagina(p));
        return dynamic_cast<Page*>(w->pagina(p));
    }
    static void tick(WatchPage* page) { static_cast<neva::testing::FakeTimer&>(page->Timer1()).fire(); }
    // Closed: gone, and the main window usable again.
    template <class Page>
    void expect_closed(QPointer<Page>& page) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(page);
        EXPECT_TRUE(w->habilitada());
    }
    // While communicating a page closes at its next tick, so that no poll is cut in half.
    template <class Page>
    void expect_closes_at_next_tick(QPointer<Page>& page) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_TRUE(page);
        tick(page);
        expect_closed(page);
    }
    // Offline a page's command only explains, sends nothing, and OK closes at once.
    template <class Page>
    void expect_offline_command(QPointer<Page>& page, QPushButton* command, const char* title) {
        app.msgs->expect_message("Enabled only on Communication Mode", title, MsgButtons::Ok, MsgIcon::Information);
        command->click();
        app.msgs->verify();
        EXPECT_TRUE(pending(*app.ctx, 0).empty());
        page->Okey->click();
        expect_closed(page);
    }
    static V texts(const std::vector<QLabel*>& labels) {
        V r;
        for (auto* l : labels) r.push_back(l ? l->text() : QString("-"));
        return r;
    }
    // " n, event ,date time", as the link decodes an event window.
    static std::string event(int n, const char* text, const char* when = "05/03/03 10:20:30 AM") {
        return " " + std::to_string(n) + "," + text + "," + when;
    }
};

}  // namespace

TEST_F(WatchPagesTest, OfflinePagesShowWhatIsHeldAndOnlyExplainTheirCommands) {
    // Maintenance: the counters the link holds, currents ranged.
    for (auto [r, v] : {std::pair{0x0280, 6}, {0x0281, 11}, {0x0282, 2000}, {0x0284, 4}, {0x0285, 2}, {0x0286, 28}})
        reg(r, v);
    auto maintenance = open<AVPAGE2>(Pagina::AVPAGE2);
    ASSERT_TRUE(maintenance);
    EXPECT_EQ(texts(maintenance->LblMed), (V{"6", "4", "2", "28", "11.00", "2.00", "0.00"}));
    EXPECT_EQ(texts(maintenance->LblUni), (V{"-", "-", "-", "-", "KA", "MA", "A"}));
    EXPECT_FALSE(maintenance->Timer1().enabled());  // nothing to poll
    expect_offline_command(maintenance, maintenance->cmdClear, "NEVA Clear Maintenance Data");

    // Events saved with the loaded file; a text without a comma is skipped, and a
    // record that comes round to its first event again ends the list.
    auto& guardados = st().Eventos_Guardados;
    guardados[1] = event(12, " Remote Trip ");
    guardados[2] = event(11, " Breaker Status: CLOSED ");
    guardados[3] = "garbled";
    guardados[4] = event(10, " Digital Input 1 Active ");
    guardados[5] = event(12, " Remote Trip ");
    guardados[6] = event(9, " Trip Relay OFF ");
    auto events = open<AVPAGE4>(Pagina::AVPAGE4);
    ASSERT_TRUE(events);
    const auto filas = events->filas();
    ASSERT_EQ(filas.size(), 3u);
    EXPECT_EQ(filas[0], (AVPAGE4::Evento{"12", " Remote Trip", "05/03/03 10:20:30 AM"}));
    EXPECT_EQ(filas[2].id, "10");
    EXPECT_FALSE(events->Timer1().enabled());
    expect_offline_command(events, events->Clear, "NEVA Clear Events");

    // The clock: nothing available (the page's first text keeps its misspelling).
    auto clock = open<DateTimeConfig>(Pagina::DateTimeConfig);
    ASSERT_TRUE(clock);
    EXPECT_EQ(clock->lblFecha->text(), "Not Availble");
    tick(clock);
    EXPECT_EQ(clock->lblFecha->text(), "Not Available");
    expect_offline_command(clock, clock->Store, "NEVA Date and Time");
}

TEST_F(WatchPagesTest, PagesLoadedForAPrintOnlyShowAndPollingStopsOffline) {
    // A page loaded while printing queues nothing and leaves the main window alone.
    st().En_Linea = st().Imprimiendo = true;
    AVPAGE5 print_page(*w);
    EXPECT_EQ(queued(1, 6), 0);
    EXPECT_FALSE(print_page.Timer1().enabled());
    EXPECT_TRUE(w->habilitada());
    st().Imprimiendo = false;

    // The last trip page: cause and time stamp as decoded, currents ranged.
    reg(0x0211, (40u << 7) | 3);          // phase timed overcurrent, 2003
    reg(0x0212, 3 * 1024 + 5 * 32 + 10);  // 5 March, 10 h
    reg(0x0213, 20 * 1024 + 300);         // 20 min 30 s
    reg(0x0215, 123456 & 0xFFFF);         // 0214..0215: 1234.56 A
    reg(0x0214, 123456 >> 16);
    auto page = open<AVPAGE5>(Pagina::AVPAGE5);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->LblMed[0]->text(), " Phase Timed OverCurrent ");
    EXPECT_EQ(page->LblMed[1]->text(), "05/03/03 10:20:30 AM");
    EXPECT_EQ(page->LblUni[2]->text(), "KA");
    EXPECT_FALSE(w->habilitada());
    tick(page);
    EXPECT_EQ(queued(1, 6), 1);

    // The link goes offline: the tick asks no more and stops the timer; the values stay.
    st().En_Linea = false;
    tick(page);
    EXPECT_EQ(queued(1, 6), 1);
    EXPECT_FALSE(page->Timer1().enabled());
    EXPECT_EQ(page->LblMed[2]->text(), "1.23");
    page->Okey->click();  // with no tick coming, OK closes at once
    expect_closed(page);
}

TEST_F(WatchPagesTest, MaintenanceClearAsksAndClosingWaitsForTheTick) {
    st().En_Linea = true;
    auto page = open<AVPAGE2>(Pagina::AVPAGE2);
    ASSERT_TRUE(page);
    const char* question = "Are your sure that you want to clear Maintenance Data?";
    for (MsgAnswer a : {MsgAnswer::No, MsgAnswer::Yes}) {
        app.msgs->expect_message(question, "NEVA Clear Maintenance Data", MsgButtons::YesNo, MsgIcon::Question, a);
        page->cmdClear->click();
    }
    app.msgs->verify();
    EXPECT_EQ(pending(*app.ctx, 0), std::vector<int>{12});
    tick(page);
    EXPECT_EQ(queued(1, 5), 1);
    // The close box is OK too: the page goes at the next tick.
    page->close();
    EXPECT_FALSE(w->habilitada());
    expect_closes_at_next_tick(page);
}

TEST_F(WatchPagesTest, EventListFollowsTheLinkAndIsRebuiltOnlyWhenItChanges) {
    st().En_Linea = true;
    // A record of 25 events, newest (25) first; the link holds the 20 newest.
    for (int k = 0; k < 20; ++k) neva().Valores[64 + k] = event(25 - k, " Trip Relay ON ");
    auto page = open<AVPAGE4>(Pagina::AVPAGE4);
    ASSERT_TRUE(page);
    auto* lv = page->ListView1;
    auto numbers = [&] {
        std::vector<int> r;
        for (int i = 0; i < lv->topLevelItemCount(); ++i) r.push_back(lv->topLevelItem(i)->text(0).trimmed().toInt());
        return r;
    };
    auto counting_down = [](int from) {
        std::vector<int> r;
        for (int n = from; n > from - 20; --n) r.push_back(n);
        return r;
    };
    EXPECT_EQ(numbers(), counting_down(25));
    EXPECT_EQ(lv->topLevelItem(0)->text(1), " Trip Relay ON");
    EXPECT_EQ(lv->topLevelItem(0)->text(2), "05/03/03 10:20:30 AM");

    // Ticks with an unchanged record: the head is read again, the list left alone.
    const int builds = page->reconstrucciones();
    QTreeWidgetItem* first = lv->topLevelItem(0);
    lv->setCurrentItem(lv->topLevelItem(3));
    for (int t = 0; t < 3; ++t) tick(page);
    EXPECT_EQ(queued(0, 30), 3);
    EXPECT_EQ(page->reconstrucciones(), builds);
    EXPECT_EQ(lv->topLevelItem(0), first);
    EXPECT_EQ(lv->currentItem(), lv->topLevelItem(3));

    // A new event: the newest slot is read first, the others follow one by one. The
    // list follows each step and ends with 26 down to 7 in order.
    neva().Valores[64] = event(26, " Breaker Status: OPENED ");
    tick(page);
    EXPECT_EQ(page->reconstrucciones(), builds + 1);
    EXPECT_EQ(lv->topLevelItem(0)->text(1), " Breaker Status: OPENED");
    for (int k = 1; k < 20; ++k) neva().Valores[64 + k] = event(26 - k, " Trip Relay ON ");
    tick(page);
    tick(page);
    EXPECT_EQ(page->reconstrucciones(), builds + 2);
    EXPECT_EQ(numbers(), counting_down(26));

    // After a clear the relay numbers from 1 again: a slot it reports empty ends the
    // list; a first slot without a comma (nothing read) leaves the list as it is.
    neva().Valores[64] = event(3, " Events Clear ");
    neva().Valores[65] = event(2, " NO EVENT ");
    tick(page);
    EXPECT_EQ(numbers(), std::vector<int>{3});
    neva().Valores[64] = " No Trip ";
    tick(page);
    EXPECT_EQ(numbers(), std::vector<int>{3});

    // Clear asks, then queues the clear-events command; OK waits for the tick.
    app.msgs->expect_message("Are your sure that you want to clear Events?", "NEVA Clear Events", MsgButtons::YesNo,
                             MsgIcon::Question, MsgAnswer::Yes);
    page->Clear->click();
    app.msgs->verify();
    EXPECT_EQ(queued(0, 13), 1);
    page->Okey->click();
    expect_closes_at_next_tick(page);
}

TEST_F(WatchPagesTest, DateAndTimePageReadsAndSetsTheRelayClock) {
    // The clock is read at load and on every tick.
    st().En_Linea = true;
    reg(0x0200, 3);                       // 2003
    reg(0x0201, 3 * 1024 + 5 * 32 + 14);  // 5 March, 14 h
    reg(0x0202, 7 * 1024 + 95);           // 7 min 9.5 s
    auto page = open<DateTimeConfig>(Pagina::DateTimeConfig);
    ASSERT_TRUE(page);
    EXPECT_EQ(pending(*app.ctx, 0), std::vector<int>{91});
    page->Form_Activate();
    EXPECT_EQ(page->lblFecha->text(), "05/03/03");
    EXPECT_EQ(page->lblHora->text(), "02:07:09 PM");
    reg(0x0202, 8 * 1024);
    tick(page);
    EXPECT_EQ(page->lblHora->text(), "02:08:00 PM");

    // STORE: the question, then the clock write and the command that applies it.
    page->DateSys->setDate(QDate(2003, 3, 5));
    page->TimeSys->setTime(QTime(10, 20, 30));
    const char* question = "Are your sure that you want to store Date and Time?";
    for (MsgAnswer a : {MsgAnswer::No, MsgAnswer::Yes}) {
        app.msgs->expect_message(question, "NEVA Date and Time", MsgButtons::YesNo, MsgIcon::Information, a);
        page->Store->click();
    }
    app.msgs->verify();
    EXPECT_EQ(neva().Reloj, (std::array<std::int16_t, 6>{0, 3, 0x0C, 0xAA, 0x51, 0x2C}));
    EXPECT_EQ(pending(*app.ctx, 0), (std::vector<int>{91, 91, 93, 92}));

    // Set to Computer Time: the same question, then the computer's time at that moment,
    // the command that applies it and a read that shows how far off the relay is now.
    app.clock->set_now({2003, 3, 5, 10, 20, 30});
    neva().Reloj = {};
    app.msgs->expect_message(question, "NEVA Date and Time", MsgButtons::YesNo, MsgIcon::Information, MsgAnswer::Yes);
    page->SetNow->click();
    app.msgs->verify();
    EXPECT_EQ(neva().Reloj, (std::array<std::int16_t, 6>{0, 3, 0x0C, 0xAA, 0x51, 0x2C}));
    EXPECT_EQ(pending(*app.ctx, 0), (std::vector<int>{91, 91, 93, 92, 93, 92, 91}));
    EXPECT_EQ(page->lblDiferencia->text(), "Setting the relay clock...");
    page->Okey->click();
    expect_closes_at_next_tick(page);
}
