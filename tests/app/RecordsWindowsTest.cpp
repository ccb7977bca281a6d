// The settings records in the desktop program: the File menu's new entries, the
// exports of the report dialog and of the event and actual value pages, the history
// window, and the compare window with each pair of sources (a file, the working
// setpoints, the relay) against the relay simulator, where the history follows the
// program's reads and a page's verified STORE.

#include <gtest/gtest.h>

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QLabel>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

#include "AppFixture.h"
#include "HistoryDatabase.h"
#include "HistoryRecording.h"
#include "ui/AVPAGE1.h"
#include "ui/AVPAGE4.h"
#include "ui/CompareWindow.h"
#include "ui/HistoryWindow.h"
#include "ui/RecordsMenus.h"
#include "ui/ReportExport.h"
#include "ui/SetpointPage.h"

using namespace neva;
using namespace neva::apptest;

namespace {

int differing(const CompareWindow& c) {
    int n = 0;
    for (const auto& r : c.rows()) n += r.differs;
    return n;
}

TEST_F(OfflineProgram, FileMenuEntriesAndTheExportsOfReportsAndPages) {
    // The new entries stand above Print; the menu keeps every entry it had.
    QStringList names;
    for (QAction* a : w->Archivo->actions()) names << a->objectName();
    EXPECT_EQ(names.join(',').toStdString(),
              "Nuevo,,Load_s,Save_s,Send,ExportReport,CompareSettings,SettingsHistory,,,,Salida");  // then Print
    RecordsMenus* menus = RecordsMenus::of(*w);
    ASSERT_NE(menus, nullptr);

    // A CSV report of the working setpoints; the extension follows the format.
    ExportReport& dialog = menus->export_report();
    dialog.Format->setCurrentIndex(2);
    app.msgs->expect_save_file(dir.filePath("working").toStdString());
    dialog.export_report();
    const std::string csv = read_file(dir.filePath("working.csv").toStdString());
    EXPECT_NE(csv.find("\r\nRelay name,Default\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("SETPOINTS - System Setup,Sampling Frequency:,"), std::string::npos);
    // A name with another report's extension is written in the format it names.
    app.msgs->expect_save_file(dir.filePath("working.html").toStdString());
    dialog.export_report();
    EXPECT_EQ(read_file(dir.filePath("working.html").toStdString()).rfind("<!DOCTYPE html>", 0), 0u);

    // The event record the file holds, as CSV with ISO time stamps and as the tool's JSON.
    auto& saved = app.ctx->state().Eventos_Guardados;
    saved[1] = " 3, Phase Timed OverCurrent ,2003-03-05 10:20:30 PM";
    saved[2] = " 2, Breaker Opened ,2003-03-05 12:05:00 AM";
    AVPAGE4 events(*w);
    app.msgs->expect_save_file(dir.filePath("events.csv").toStdString());
    ASSERT_TRUE(events.export_events());
    EXPECT_EQ(events.filas().size(), 2u);
    EXPECT_NE(read_file(dir.filePath("events.csv").toStdString())
                  .find("3,\" Phase Timed OverCurrent\",2003-03-05 10:20:30 PM,2003-03-05T22:20:30\r\n"),  // as listed
              std::string::npos);
    app.msgs->expect_save_file(dir.filePath("events.json").toStdString());
    ASSERT_TRUE(events.export_events());
    const QJsonObject json =
        QJsonDocument::fromJson(QByteArray::fromStdString(read_file(dir.filePath("events.json").toStdString()))).object();
    EXPECT_EQ(json.value("newest").toInt(), 3);
    EXPECT_EQ(json.value("events").toArray()[1].toObject().value("timestamp").toString(), "2003-03-05T00:05:00");

    // The metering page: the values as shown, with the time they were taken.
    AVPAGE1 metering(*w);
    app.msgs->expect_save_file(dir.filePath("metering.json").toStdString());
    ASSERT_TRUE(metering.export_values());
    const QJsonObject values =
        QJsonDocument::fromJson(QByteArray::fromStdString(read_file(dir.filePath("metering.json").toStdString()))).object();
    EXPECT_EQ(values.value("page").toString(), "ACTUAL VALUES - Current Metering");
    const QJsonArray rows = values.value("values").toArray();
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[3].toObject().value("label").toString(), "Ground Current:");
    EXPECT_EQ(rows[3].toObject().value("value").toString(), metering.LblMed[3]->text());
    app.msgs->verify();
}

TEST_F(OfflineProgram, HistoryWindowListsComparesExportsAndOpensSnapshots) {
    const QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    {
        records::HistoryDatabase db;
        std::string error;
        for (int i = 0; i < 2; ++i) {
            Snapshot s;
            s.taken_at = "2026-12-06T12:00:0" + std::to_string(i);
            s.kind = i ? SnapshotKind::AsLeft : SnapshotKind::AsFound;
            s.relay_name = "Feeder 7";
            s.address = 3;
            s.setpoints = pattern_image(1);
            std::fill(s.setpoints.begin() + kBlock2.last + 1, s.setpoints.end(), 0);
            if (i) put_word(s.setpoints, "0184", 250);
            ASSERT_TRUE(db.add(s, error)) << error;
        }
    }
    HistoryWindow& h = RecordsMenus::of(*w)->history();
    h.refresh();
    EXPECT_EQ(h.listed(), (std::vector<std::int64_t>{2, 1}));
    EXPECT_EQ(h.Relays->count(), 2);  // all relays, and Feeder 7

    // Two snapshots side by side, the older as A; one difference, the rest hidden on request.
    h.select({1, 2});
    ASSERT_TRUE(h.compare_selected());
    CompareWindow& c = RecordsMenus::of(*w)->compare();
    EXPECT_EQ(c.source(0)->name, "Snapshot 1 (as-found, 2026-12-06T12:00:00)");
    EXPECT_EQ(differing(c), 1);
    c.OnlyDifferences->setChecked(true);
    int shown = 0;
    for (int i = 0; i < c.List->topLevelItemCount(); ++i) shown += !c.List->topLevelItem(i)->isHidden();
    EXPECT_EQ(shown, 1);
    // One snapshot against the working setpoints (the default file's, which hold 0184 too).
    h.select({2});
    ASSERT_TRUE(h.compare_selected());
    EXPECT_EQ(c.source(1)->kind, SetpointSource::Kind::Working);
    EXPECT_EQ(differing(c), 1);

    h.Format->setCurrentIndex(1);
    app.msgs->expect_save_file(dir.filePath("snapshot.html").toStdString());
    ASSERT_TRUE(h.export_selected());
    EXPECT_NE(read_file(dir.filePath("snapshot.html").toStdString()).find("Snapshot 2 (as-left"), std::string::npos);

    // Opened as the working setpoints, as a file would be, and not yet in any file.
    ASSERT_TRUE(h.open_selected());
    EXPECT_EQ(word(app.ctx->images().Imagen_Edicion, "0184"), 250);
    EXPECT_EQ(app.ctx->images().Imagen_Setpoints, app.ctx->images().Imagen_Edicion);
    EXPECT_TRUE(app.ctx->state().unsaved_changes);
    EXPECT_TRUE(w->windowTitle().startsWith("Snapshot 2 (as-left")) << w->windowTitle().toStdString();
    qunsetenv("XDG_DATA_HOME");
    app.msgs->verify();
}

class RecordsWithSimulator : public SimulatorFixture {};

TEST_F(RecordsWithSimulator, HistoryFollowsTheRelayAndTheComparePairsAgree) {
    start_relay({"--event-every", "0"});
    ctx->start_history(dir.filePath("history.sqlite").toStdString());
    start_program("9600,N,8,1 1 1");
    auto& history = *ctx->history();
    std::string error;
    auto count = [&] { return history.database().list(error).value_or(std::vector<Snapshot>{}).size(); };
    ASSERT_TRUE(run_until([&] { return ctx->state().En_Linea && count() == 1; }, 20000)) << error;
    EXPECT_TRUE(w->panel(2).startsWith("History: as-found")) << w->panel(2).toStdString();

    // The relay read now against the working setpoints it was read into: the same.
    CompareWindow& c = RecordsMenus::of(*w)->compare();
    ASSERT_TRUE(c.choose(1, CompareWindow::Choice::Relay));
    ASSERT_TRUE(run_until([&] { return !c.busy(); }, 15000));
    ASSERT_TRUE(c.choose(0, CompareWindow::Choice::Working));
    EXPECT_EQ(c.source(1)->address, 1);
    EXPECT_EQ(differing(c), 0);
    EXPECT_EQ(count(), 1u);  // that read found the relay as recorded: nothing new

    // A file one setpoint away from the relay, against the relay and the working setpoints.
    SetpointImage changed = ctx->images().Imagen_Setpoints;
    put_word(changed, "0184", 250);
    write_setpoint_file(dir.filePath("changed.NEVA2").toStdString(), changed, "Bay 7");
    msgs->expect_open_file(dir.filePath("changed.NEVA2").toStdString());
    ASSERT_TRUE(c.choose(0, CompareWindow::Choice::File));
    EXPECT_EQ(differing(c), 1);
    ASSERT_TRUE(c.choose(1, CompareWindow::Choice::Working));
    EXPECT_EQ(differing(c), 1);

    // A page's STORE that the relay reads back identical leaves an as-left snapshot.
    w->MnuPhProtec->trigger();
    auto* page = qobject_cast<SetpointPage*>(QApplication::activeModalWidget());
    ASSERT_NE(page, nullptr);
    auto read_done = [&] {
        const auto& states = ctx->link().Colas().Cola_Estado[0];
        return std::none_of(states.begin(), states.end(), [](std::int32_t s) {
            return s == Proceso_Comunicacion::kPending || s == Proceso_Comunicacion::kExecuting;
        });
    };
    ASSERT_TRUE(run_until(read_done, 10000));
    EXPECT_EQ(count(), 1u);  // the page's read found it as recorded too
    put_word(ctx->images().Imagen_Edicion, "0184", 250);
    msgs->expect_message("Setpoints were Saved to the Relay memory", "NEVA", MsgButtons::Ok, MsgIcon::Information);
    page->Command1->click();
    ASSERT_TRUE(run_until([&] { return msgs->done() && count() == 2; }, 15000));
    const Snapshot* left = history.recorder().last_stored();
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(left->kind, SnapshotKind::AsLeft);
    EXPECT_EQ(word(left->setpoints, "0184"), 250);
    EXPECT_TRUE(same_block(left->setpoints, ctx->images().Imagen_Setpoints, 1));
    page->Command2->click();
    msgs->verify();
}

}  // namespace
