#pragma once
// The line monitor's window: every frame the link sent and received, with its time,
// bytes, request and verdict, and the running counters. It can be paused, cleared
// and saved to a text file. The monitor records whether the window is open or not,
// so opening it after a fault shows what led to it; the window draws only while it
// is shown, so the link pays nothing for it when it is closed.

#include <QWidget>
#include <memory>

#include "monitor/LineMonitor.h"
#include "platform/MessageService.h"
#include "platform/Timer.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace neva {

class LineMonitorWindow : public QWidget {
    Q_OBJECT
public:
    LineMonitorWindow(LineMonitor& monitor, MessageService& messages, TimerFactory& timers, QWidget* parent = nullptr);
    ~LineMonitorWindow() override;

    void pause_clicked(bool paused);
    void clear_clicked();
    // Asks for a file name and writes the counters and every line of the ring; false
    // when cancelled or the file could not be written (the user has been told).
    bool save_clicked();
    // The whole text as saved: a heading, the counters, then one line per frame.
    QString text() const;

    QPlainTextEdit* lines = nullptr;
    QLabel* counters = nullptr;
    QPushButton* pause_button = nullptr;
    QPushButton* clear_button = nullptr;
    QPushButton* save_button = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void rebuild();
    void show_counters();

    LineMonitor& monitor_;
    MessageService& messages_;
    std::unique_ptr<Timer> refresh_;  // the counters, twice a second while shown
};

}  // namespace neva
