#pragma once
// The settings records in the main window: File > Export Report..., Compare
// Settings... and Settings History..., the windows they open (one instance each,
// made on first use), and the history's outcome in status bar panel 2.

#include <QObject>
#include <QPointer>

class QAction;

namespace neva {

class CompareWindow;
class ExportReport;
class HistoryWindow;
class Principal;

class RecordsMenus : public QObject {
    Q_OBJECT
public:
    // Adds the entries to the File menu, above Print.
    explicit RecordsMenus(Principal& principal);
    ~RecordsMenus() override;
    static RecordsMenus* of(Principal& principal);

    ExportReport& export_report();
    CompareWindow& compare();
    HistoryWindow& history();

    void open_export_report();
    void open_compare();
    void open_history();

    QAction* ExportReportAction = nullptr;
    QAction* CompareAction = nullptr;
    QAction* HistoryAction = nullptr;

private:
    Principal& principal_;
    QPointer<ExportReport> export_;
    QPointer<CompareWindow> compare_;
    QPointer<HistoryWindow> history_;
};

}  // namespace neva
