#pragma once
// Bits: a choice packed into bit positions of a register, shown as a drop-down list
// of names. A thin window over the BitFieldSelector model: the list shows the
// model's items and selection; a user's choice goes to the model, which rewrites
// only the field's bits in Imagen_Edicion.

#include <QWidget>

#include "editors/BitFieldSelector.h"

class QComboBox;

namespace neva {

class Bits : public QWidget {
    Q_OBJECT
public:
    Bits(const PropertyStore& props, RegisterImages& images, QWidget* parent = nullptr);
    ~Bits() override;

    BitFieldSelector& model() { return model_; }
    const BitFieldSelector& model() const { return model_; }

    // Appends the names to the list (it does not empty it first).
    bool Crear_Items();
    // Shows the choice held in Imagen_Setpoints; a listed choice is written back into
    // Imagen_Edicion and raises Change, like a user's choice.
    bool Inicializacion();
    // The user chooses entry i (also what the list does on a click). False when the
    // model refused it; the list then shows the previous choice again.
    bool choose(int index);

    int ListCount() const { return model_.ListCount(); }
    int ListIndex() const { return model_.ListIndex(); }
    QString Valor() const { return QString::fromStdString(model_.Valor()); }
    QString current_text() const;

    QComboBox* Combo1 = nullptr;  // the list

    QSize sizeHint() const override;

signals:
    void Change();  // an entry was chosen (by the user or by Inicializacion)
    void DblClick();

protected:
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void show_selection();

    BitFieldSelector model_;
};

}  // namespace neva
