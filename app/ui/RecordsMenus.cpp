#include "ui/RecordsMenus.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

#include "HistoryRecording.h"
#include "ui/CompareWindow.h"
#include "ui/HistoryWindow.h"
#include "ui/Principal.h"
#include "ui/ReportExport.h"

namespace neva {

namespace {

void raise(QWidget* w) {
    w->show();
    w->raise();
    w->activateWindow();
}

}  // namespace

RecordsMenus::RecordsMenus(Principal& principal) : QObject(&principal), principal_(principal) {
    setObjectName("RecordsMenus");
    QMenu* file = principal.Archivo;
    QAction* before = principal.Imprimir->menuAction();
    auto add = [&](const char* text, const char* name, QKeySequence key, void (RecordsMenus::*slot)()) {
        auto* a = new QAction(QString::fromLatin1(text), file);
        a->setObjectName(name);
        a->setShortcut(key);
        file->insertAction(before, a);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    ExportReportAction = add("Export Re&port...", "ExportReport", QKeySequence(Qt::CTRL | Qt::Key_E),
                             &RecordsMenus::open_export_report);
    CompareAction = add("Co&mpare Settings...", "CompareSettings", QKeySequence(Qt::CTRL | Qt::Key_D),
                        &RecordsMenus::open_compare);
    HistoryAction = add("Settings &History...", "SettingsHistory", QKeySequence(Qt::CTRL | Qt::Key_H),
                        &RecordsMenus::open_history);
    file->insertSeparator(before);

    // What became of the last snapshot, where the user can see it without a box
    // getting in the way of the relay's work.
    if (auto* history = principal.contexto().history()) {
        auto& recorder = history->recorder();
        recorder.on_stored = [this](const Snapshot& s) {
            QLabel* panel = principal_.StatusBar1[1];
            panel->setText(QStringLiteral("History: %1 %2").arg(QString::fromStdString(kind_text(s.kind)))
                               .arg(QString::fromStdString(s.taken_at.substr(11))));
            panel->setToolTip(QString::fromStdString(snapshot_title(s)));
            if (history_ && history_->isVisible()) history_->refresh();
        };
        recorder.on_failed = [this](const std::string& why) {
            QLabel* panel = principal_.StatusBar1[1];
            panel->setText(QStringLiteral("History not saved"));
            panel->setToolTip(QString::fromStdString(why));
        };
    }
}

RecordsMenus::~RecordsMenus() {
    if (auto* history = principal_.contexto().history()) {
        history->recorder().on_stored = nullptr;
        history->recorder().on_failed = nullptr;
    }
}

RecordsMenus* RecordsMenus::of(Principal& principal) { return principal.findChild<RecordsMenus*>("RecordsMenus"); }

ExportReport& RecordsMenus::export_report() {
    if (!export_) export_ = new ExportReport(principal_.contexto(), &principal_);
    return *export_;
}

CompareWindow& RecordsMenus::compare() {
    if (!compare_) compare_ = new CompareWindow(principal_.contexto(), &principal_);
    return *compare_;
}

HistoryWindow& RecordsMenus::history() {
    if (!history_)
        history_ = new HistoryWindow(principal_, [this](const SetpointSource& a, const std::optional<SetpointSource>& b) {
            CompareWindow& c = compare();
            c.set_source(0, a);
            if (b) c.set_source(1, *b);
            else c.choose(1, CompareWindow::Choice::Working);
            raise(&c);
        });
    return *history_;
}

void RecordsMenus::open_export_report() {
    ExportReport& d = export_report();
    d.setWindowModality(Qt::ApplicationModal);
    raise(&d);
}

void RecordsMenus::open_compare() { raise(&compare()); }
void RecordsMenus::open_history() { raise(&history()); }

}  // namespace neva
