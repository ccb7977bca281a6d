#pragma once
// "Find Relay": searches the chosen port for relays at every speed and address (or
// the ones chosen), with the identification read only, and lets the engineer pick
// one; the connection dialog then takes its speed and address. Progress (speed,
// address, relays found so far) and Cancel; the longest the search can take is shown
// before it starts.

#include <QDialog>

#include <functional>
#include <memory>

#include "link/RelayScanner.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTreeWidget;

namespace neva {

class FindRelayDialog : public QDialog {
    Q_OBJECT
public:
    // `port` is the dialog's own (never the link's); its number or target is set.
    FindRelayDialog(std::unique_ptr<SerialPort> port, TimerFactory& timers, const QString& port_text,
                    QWidget* parent = nullptr);
    ~FindRelayDialog() override;

    void Start_Click();
    void Cancel_Click();
    void Use_Click();
    RelayScanner& scanner() { return *scanner_; }
    ScanPlan plan() const;

    // The relay the engineer chose.
    std::function<void(const FoundRelay&)> on_choose;

    QComboBox* Speeds = nullptr;    // "All speeds" or one speed
    QSpinBox* FirstAddress = nullptr;
    QSpinBox* LastAddress = nullptr;
    QLabel* Estimate = nullptr;
    QProgressBar* Progress = nullptr;
    QLabel* Status = nullptr;
    QTreeWidget* Found = nullptr;
    QPushButton* Start = nullptr;
    QPushButton* Use = nullptr;
    QPushButton* Cancel = nullptr;

protected:
    void reject() override;

private:
    void show_estimate();
    void show_try(int speed, int address);
    void add_found(const FoundRelay& f);
    void finished(ScanEnd end);
    void set_running(bool running);

    std::unique_ptr<SerialPort> port_;
    std::unique_ptr<RelayScanner> scanner_;
    QString port_text_;
};

}  // namespace neva
