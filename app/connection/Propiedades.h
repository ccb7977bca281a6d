#pragma once
// The properties dialog: the three descriptive texts that travel with setpoint
// files, and the relay's firmware version (display only).

#include <QByteArray>
#include <QDialog>
#include <QString>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace neva {

class Principal;

class Propiedades : public QDialog {
    Q_OBJECT
public:
    explicit Propiedades(Principal& principal);

    void Form_Load();
    void Okey_Click();
    void Cancel_Click();

    QLineEdit* Text1 = nullptr;       // "Programer:"
    QLineEdit* Text2 = nullptr;       // "Relay's Name:"
    QPlainTextEdit* Text3 = nullptr;  // "Observations:"
    QLineEdit* Text5 = nullptr;       // "Relay Firmware:" (display only)
    QPushButton* Okey = nullptr;
    QPushButton* Cancel = nullptr;

protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

private:
    // The observations as they would be kept: one byte per character, line breaks as
    // the loaded text had them (CR LF or LF).
    QByteArray observaciones() const;
    void limitar_observaciones();

    Principal& principal_;
    bool crlf_ = false;
    QString observaciones_cargadas_;  // the observations as the box showed them at load
};

}  // namespace neva
