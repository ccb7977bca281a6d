#pragma once
// The connection dialog ("COMMUNICATION CONTROL"): port, speed, relay address and
// connection type, and ON / OFF, which start and stop the main window's link. It is
// the one modeless dialog; an external start runs its load and ON without showing it.

#include <QDialog>
#include <optional>
#include <string>
#include <functional>
#include <memory>

#include "net/PortTarget.h"
#include "platform/Timer.h"

namespace neva {
class Lectura_Escritura;
}

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QToolButton;

namespace neva {

class Principal;

class Comunicacion : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kEstablecida = "Communication Stablished";
    static constexpr const char* kNoEstablecida = "Communication Not Stablished";
    static constexpr const char* kSinVelocidad =
        "No Baud Rate is selected. Choose the Baud Rate of the relay and press ON again.";
    static constexpr const char* kSinPuerto =
        "No Communication Port is selected. Choose the port the relay is connected to and press ON again.";
    static constexpr const char* kSinHost =
        "No network address is given. Enter the host name or IP address of the device server or gateway and press "
        "ON again.";
    // Entries of the port list after "COM 1".."COM 8".
    static constexpr const char* kEntradaTcp = "Serial device server (tcp://)";
    static constexpr const char* kEntradaMbtcp = "Modbus TCP gateway (mbtcp://)";

    explicit Comunicacion(Principal& principal);
    ~Comunicacion() override;

    void Form_Load();
    void Okey_Click();
    void Cancelar_Click();
    void Command1_Click();  // ON
    void Command2_Click();  // OFF
    void TmrStateCom_Timer();
    void Option1_Click(int index);

    Timer& TmrStateCom() { return *tmr_state_com_; }

    QGroupBox* Botones = nullptr;
    QPushButton* Okey = nullptr;
    QPushButton* Cancelar = nullptr;
    QGroupBox* Frame2 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QLabel* Label6 = nullptr;
    QGroupBox* Frame1 = nullptr;
    // "COM 1".."COM 8", then this computer's serial ports, then the two network kinds.
    QComboBox* Combo1 = nullptr;
    QToolButton* refresh_button = nullptr;  // lists the computer's ports again
    QLineEdit* host_text = nullptr;         // network kinds: host name or address
    QSpinBox* tcp_port_box = nullptr;       // network kinds: TCP port
    QComboBox* Combo2 = nullptr;
    QComboBox* ComboCom2 = nullptr;  // "Com 2 Baud Rate:", shown but read by nobody
    // The slave address box (1..247); a register-bound editor takes its place later.
    QSpinBox* Byte_UnR1 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QRadioButton* Option1[2] = {nullptr, nullptr};  // 0 "Modem", 1 "RS485/422"
    QLineEdit* Text1 = nullptr;
    QGroupBox* FrameModemString = nullptr;
    QRadioButton* OptDefaultString = nullptr;
    QRadioButton* OptPersonalString = nullptr;
    // "Remote Modem Programing": speed `Combo3`, location `Combo4`, the string
    // choice `Option2` (0 "Default String", 1 "Personal String") and its "OK" (`Modem`).
    QGroupBox* Frame4 = nullptr;
    QComboBox* Combo3 = nullptr;
    QComboBox* Combo4 = nullptr;
    QRadioButton* Option2[2] = {nullptr, nullptr};
    QPushButton* Modem = nullptr;
    void Modem_Click();
    // "Find Relay...": searches the chosen port; a relay chosen there fills the speed
    // and the address.
    QPushButton* FindRelay = nullptr;
    void FindRelay_Click();
    static constexpr const char* kBuscarConLinea =
        "The relay link is in use. Press OFF before searching this computer's port for relays.";

    // Lists the computer's serial ports again after "COM 8", keeping the choice.
    void refresh_ports();
    // Selects the entry of a target (adding a device the list does not have) and
    // fills host and TCP port for a network target.
    void select_target(const PortTarget& target);
    // The target of the list's choice; nullopt (with the reason) when there is none.
    std::optional<PortTarget> chosen_target(std::string* error = nullptr) const;
    static constexpr const char* kModemConLinea =
        "The relay link is in use. Press OFF before programming a modem on this computer's port.";

    // Runs at the end of the load, for the modem programming frame (its speed list
    // follows Combo2).
    std::function<void()> al_cargar;

protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

private:
    void set_escape(bool on);
    void panels_de_enlace();
    void update_network_fields();

    Principal& principal_;
    std::unique_ptr<Timer> tmr_state_com_;
    std::unique_ptr<Lectura_Escritura> modem_;
    bool programando_ = false;  // a modem programming run has the port
    bool apagando_ = false;     // OFF is asking about unsaved setpoints
    // What the status bar's port panel shows for the target in use: "COM:n" or the
    // device or network address.
    std::optional<PortTarget> target_en_uso_;
    bool memoria_ofrecida_ = false;  // the remembered choice was offered once this run
};

}  // namespace neva
