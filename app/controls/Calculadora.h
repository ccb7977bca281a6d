#pragma once
// Calculadora: the numeric entry dialog a setpoint editor opens when its value box
// is clicked. The window shows what the NumericEntry model holds (title, old value,
// range, steps) and hands the keypad, the typed text, OK and Cancel to it; the
// checks ("Out of Range", "Incorrect Range") and the result in the shared hand-over
// are the model's. Closing the window through its frame counts as Cancel.
//
// The editor shows it with exec(); tests build it and press its buttons instead.

#include <QDialog>
#include <array>

#include "editors/NumericEntry.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace neva {

class Calculadora : public QDialog {
    Q_OBJECT
public:
    // Loads the labels from the hand-over values at once.
    Calculadora(CalcHandover& calc, MessageService& messages, QWidget* parent = nullptr);

    NumericEntry& entry() { return entry_; }

    // Display and keypad.
    QLineEdit* Pantalla = nullptr;
    std::array<QPushButton*, 10> Numeros{};  // "0".."9"
    QPushButton* Command2 = nullptr;         // "."
    QPushButton* Command1 = nullptr;         // "CE"
    QPushButton* OK = nullptr;
    QPushButton* Cancel = nullptr;

    // Labels.
    QLabel* Titulo = nullptr;
    QLabel* Viejo = nullptr;
    QLabel* Rango = nullptr;
    QLabel* Incremento = nullptr;
    QLabel* Incremento_b = nullptr;
    QLabel* Incremento_c = nullptr;

public slots:
    void reject() override;  // Cancel, Esc and the window frame's close

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void ok_click();
    void show_display();

    NumericEntry entry_;
};

}  // namespace neva
