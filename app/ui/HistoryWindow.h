#pragma once
// Settings History: the snapshots of the relay's setpoints the program has kept,
// newest first, with the relay they came from. A snapshot can be opened as the
// working setpoints, compared with another or with the working setpoints, and
// exported as a settings report. A database that cannot be read is said so here.

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "history/Snapshot.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace neva {

class AppContext;
class Principal;
namespace records {
class HistoryDatabase;
}

class HistoryWindow : public QWidget {
    Q_OBJECT
public:
    // `compare` opens the compare window with A and B; no B: the working setpoints.
    HistoryWindow(Principal& principal, std::function<void(const SetpointSource&, const std::optional<SetpointSource>&)> compare);
    ~HistoryWindow() override;

    // Reads the list again (the relay filter keeps its choice when it still exists).
    void refresh();
    // The ids of the listed snapshots and of the selected ones, in list order.
    std::vector<std::int64_t> listed() const;
    std::vector<std::int64_t> selected() const;
    void select(const std::vector<std::int64_t>& ids);

    // The buttons' work on the selection: open needs one snapshot; compare takes two
    // (the older as A), or one against the working setpoints; export needs one.
    bool open_selected();
    bool compare_selected();
    bool export_selected();

    QComboBox* Relays = nullptr;
    QTreeWidget* List = nullptr;
    QLabel* Status = nullptr;
    QComboBox* Format = nullptr;
    QPushButton* Open = nullptr;
    QPushButton* Compare = nullptr;
    QPushButton* Export = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    std::optional<Snapshot> load(std::int64_t id);
    void fill();
    void selection_changed();

    Principal& principal_;
    AppContext& ctx_;
    std::function<void(const SetpointSource&, const std::optional<SetpointSource>&)> compare_;
    std::unique_ptr<records::HistoryDatabase> db_;
    std::vector<Snapshot> all_;
};

}  // namespace neva
