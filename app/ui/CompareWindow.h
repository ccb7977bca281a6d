#pragma once
// Compare Settings: two sets of setpoints side by side, each chosen from a setpoint
// file, the working setpoints, the relay (read now) or a snapshot of the settings
// history. Every setpoint shows both texts as the pages show them; those that differ
// are highlighted, and "Only differences" hides the rest. The comparison can be
// exported as a report. The program's one comparison routine finds the differences,
// the same that `neva-cli diff` prints.

#include <QWidget>
#include <array>
#include <optional>
#include <vector>

#include "compare/SetpointCompare.h"
#include "compare/SetpointSource.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace neva {

class AppContext;
class RelayRead;

class CompareWindow : public QWidget {
    Q_OBJECT
public:
    // The choices of each side, in the order of its list.
    enum class Choice { Working, Relay, File, Snapshot };

    CompareWindow(AppContext& ctx, QWidget* parent);
    ~CompareWindow() override;

    // Side 0 is A, side 1 is B. A source given from outside (a snapshot) is offered
    // in the side's list as long as the window lives.
    void set_source(int side, const SetpointSource& source);
    // What choosing an entry of a side's list does: the working setpoints at once, a
    // file through the open dialog, the relay after reading it. False when nothing
    // was taken (cancelled, not communicating, no snapshot given).
    bool choose(int side, Choice choice);
    const std::optional<SetpointSource>& source(int side) const { return sources_[side]; }
    const std::vector<SetpointComparison>& rows() const { return rows_; }
    // Asks where to save the comparison report and writes it.
    bool export_comparison();
    bool busy() const;

    std::array<QComboBox*, 2> Sources{};
    std::array<QLabel*, 2> Descriptions{};
    QCheckBox* OnlyDifferences = nullptr;
    QLabel* Summary = nullptr;
    QTreeWidget* List = nullptr;
    QComboBox* Format = nullptr;
    QPushButton* Export = nullptr;

private:
    void picked(int side, int index);
    void take(int side, const SetpointSource& source);
    void recompute();
    void filter();
    void show_choice(int side);

    AppContext& ctx_;
    RelayRead* read_ = nullptr;
    std::array<std::optional<SetpointSource>, 2> sources_;
    std::array<std::optional<SetpointSource>, 2> snapshots_;
    std::array<std::optional<Choice>, 2> chosen_;
    std::vector<SetpointComparison> rows_;
    bool updating_ = false;
};

}  // namespace neva
