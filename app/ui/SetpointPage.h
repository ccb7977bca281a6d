#pragma once
// What the five setpoint pages share: the page's controls built from its entries
// in the register map (editors, bit-field lists, check box groups, the list box),
// the page load, the refresh from the stored image, STORE and EXIT. Each page is a
// thin subclass that places its controls and adds its visibility interlocks.
//
// A page holds no data: every control reads Imagen_Setpoints and writes its edits
// into Imagen_Edicion. It reaches the program through the application object; the
// main window's enabled state goes through a function the creator hands in.

#include <QString>
#include <QWidget>
#include <array>
#include <deque>
#include <functional>
#include <map>
#include <string>

#include "regmap/RegisterMap.h"
#include "ui/AppContext.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace neva {

class Bits;
class NumericEditorControl;

class SetpointPage : public QWidget {
    Q_OBJECT
public:
    // Enables or disables the main window (Principal::habilitar in the program).
    using EnableMainWindow = std::function<void(bool)>;

    ~SetpointPage() override;

    const RegisterMapPage& page() const { return *page_; }
    int bloque() const { return page_->block; }
    int read_action() const { return bloque() == 2 ? 62 : 61; }
    int write_action() const { return bloque() == 2 ? 28 : 27; }

    // The page load: size, and when communicating disable the main window and queue
    // the read of the page's block; then show the stored image.
    void Form_Load();
    // Every control re-reads and shows its register from Imagen_Setpoints.
    void Actualiza_Valores_de_Pantalla();
    // STORE: communicating, queue the write of the page's block; offline, copy the
    // edit image into the scratch memory and say so.
    void Command1_Click();
    // EXIT (and the close box): throw the page's unsaved edits away, enable the main
    // window, unload.
    void Command2_Click();

    // ---- Controls, under their page names ("PhaseCT(9)", "Page1C(1)", "Combo1") ----
    NumericEditorControl* editor(const QString& name) const;
    Bits* bits(const QString& name) const;
    // Check box `index` of a control array ("chkDiscrep", 5).
    QCheckBox* check(const QString& control, int index) const;
    // The label beside a control (for a check box array: beside its group's boxes).
    QLabel* label(const QString& name) const;
    // The editor, list or row of check boxes beside a label.
    QWidget* control(const QString& name) const;
    // A frame by its caption ("System Setup") or name ("Frame2").
    QGroupBox* frame(const QString& caption) const;
    // Whether a control and its label would be seen when the page is shown.
    bool row_visible(const QString& name) const;

    QComboBox* Combo1 = nullptr;      // the list box of the page, if it has one
    QPushButton* Command1 = nullptr;  // "STORE"
    QPushButton* Command2 = nullptr;  // "EXIT"

protected:
    SetpointPage(const char* page_name, AppContext& ctx, EnableMainWindow enable_main, QWidget* parent);

    // Builds every control of the page, places them (place_controls) and connects
    // them. Called by each page's constructor, so the page's own overrides run.
    void build();

    // Positions of frames and controls. The default stacks each frame's rows and puts
    // the frames side by side.
    virtual void place_controls();
    // Interlocks of the page.
    virtual void bits_changed(const QString& name, Bits& control) {
        (void)name;
        (void)control;
    }
    virtual void check_clicked(const QString& control, int index) {
        (void)control;
        (void)index;
    }
    virtual void list_clicked(int index) { (void)index; }

    void closeEvent(QCloseEvent* e) override;

    // One control of the map: a row of the page.
    struct Row {
        const RegisterMapEntry* entry = nullptr;
        QString name;  // "PhaseCT(9)", "chkDiscrep(0..3)", "Combo1"
        QLabel* label = nullptr;
        QWidget* widget = nullptr;  // the control (for a check group, the row of boxes)
        NumericEditorControl* editor = nullptr;
        Bits* bits = nullptr;
        std::array<QCheckBox*, 4> checks{};
        QComboBox* list = nullptr;
    };
    const std::deque<Row>& rows() const { return rows_; }
    const Row* row(const QString& name) const;
    void set_row_visible(const QString& name, bool visible);
    // Places a row's label and control at y within its frame.
    void place_row(const Row& r, int x, int y, int label_width, int control_width);
    // Rows in map order grouped by frame, frames in order of first appearance.
    std::vector<std::pair<QString, std::vector<const Row*>>> rows_by_frame() const;
    // Puts the STORE and EXIT buttons under the given bottom edge.
    void place_buttons(int bottom, int right);

    static constexpr int kRowPitch = 30;
    static int px(int twips) { return (twips + 7) / 15; }

    AppContext& ctx_;

private:
    void build_row(const RegisterMapEntry& e);
    void check_toggled(const Row& r, int box, bool on);
    void list_choice(int index);
    void watch_block_reads();

    const RegisterMapPage* page_ = nullptr;
    RegisterMapPage fallback_;
    EnableMainWindow enable_main_;
    std::deque<Row> rows_;
    std::map<QString, QGroupBox*> frames_;
    std::map<QString, QCheckBox*> checks_;
    bool watching_ = false;
    std::function<void(bool)> previous_completion_;
};

}  // namespace neva
