#pragma once
// The window half of the numeric setpoint editors (Byte_UnR, Word_UnR, Word_DosR,
// Word_TresR): a value box that shows the scaled value with its unit and opens the
// numeric entry dialog when clicked, and a spinner with an up and a down button.
// All the behaviour (stepping, display text, writes into Imagen_Edicion, the
// hand-over to the dialog) is the editor model's; this class only forwards the
// user's presses and repaints from the model's text.

#include <QWidget>
#include <functional>
#include <memory>

#include "editors/NumericEditor.h"
#include "platform/MessageService.h"

class QLineEdit;
class QToolButton;

namespace neva {

class NumericEditorControl : public QWidget {
    Q_OBJECT
public:
    ~NumericEditorControl() override;

    NumericEditor& model() { return *model_; }
    const NumericEditor& model() const { return *model_; }

    // Loads the field from Imagen_Setpoints and shows it (nothing is written).
    bool Inicializacion();
    // The display text set by the last Inicializacion.
    QString Valor() const { return QString::fromStdString(model_->Valor()); }
    QString text() const;
    std::int32_t Value() const { return model_->Value; }

    // The user's actions, public so that tests press them without a mouse.
    void down_click();
    void up_click();
    // Click on the value box: the numeric entry hand-over, the dialog, the result.
    void value_box_click();
    void value_box_dbl_click();

    // What the numeric entry would show (title, range, step or steps with the values
    // they apply to, unit) and the register the value goes to: the editor's tool tip.
    QString tool_tip_text() const;

    // Shows the numeric entry dialog modally; by default a Calculadora run with exec().
    // Tests replace it with a function that drives the entry directly (the hand-over
    // values are already filled when it runs).
    std::function<void()> show_dialog;

    QLineEdit* Text1 = nullptr;  // the value box
    QToolButton* UpButton = nullptr;
    QToolButton* DownButton = nullptr;

    QSize sizeHint() const override;

signals:
    void Change();    // after a spin step
    void Click();     // after a numeric entry
    void DblClick();  // double click on the value box
    void Resize();    // the control was resized and its children laid out again

protected:
    NumericEditorControl(std::unique_ptr<NumericEditor> model, CalcHandover& calc, MessageService& messages,
                         QWidget* parent);
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void repaint_value_box();
    // Up/Down and PageUp/PageDown step as the spinner does; Enter and F2 open the
    // numeric entry. True when the key was one of these.
    bool handle_key(int key);

    std::unique_ptr<NumericEditor> model_;
    CalcHandover& calc_;
    MessageService& messages_;
};

}  // namespace neva
