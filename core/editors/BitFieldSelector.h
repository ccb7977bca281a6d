#pragma once
// Bits: a choice packed into one to four bit positions of a register, shown as a
// drop-down list of names. The index of the chosen name times Paso is the field
// value; choosing a name rewrites only the field's bits in Imagen_Edicion, so the
// other functions sharing the register keep their settings.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "image/RegisterImages.h"
#include "regmap/PropertyStore.h"

namespace neva {

class BitFieldSelector {
public:
    BitFieldSelector(const PropertyStore& props, RegisterImages& images);

    // Stored properties.
    std::string Direccion = "0";
    int DataLen = 0;
    int High = 0;
    int Tipo = 0;                    // 0..3: field of Tipo + 1 bits
    std::array<int, 4> Bit{};        // Bit1..Bit4: bit numbers of weights 1, 2, 4, 8
    int Paso = 1;                    // field value = list index x Paso
    std::array<std::string, 16> Nombre;  // Nombre1..Nombre16, "0" when not stored
    int Cantidad_Items = 0;
    int Pos_Texto = 0;
    bool Enabled = true;
    std::int32_t BackColor;
    std::int32_t ForeColor;
    int BackStyle = 0;

    // Bits of the field (the first Tipo + 1 of Bit1..Bit4; none for a Tipo outside 0..3).
    std::vector<int> field_bits() const;
    // Names Crear_Items lists for this Tipo and Cantidad_Items.
    std::vector<std::string> listed_names() const;

    // Appends the names to the list (it does not empty it first).
    bool Crear_Items();
    // Shows the choice held in Imagen_Setpoints and writes it back into Imagen_Edicion
    // like a user's choice. A field value that is no listed entry selects nothing
    // (ListIndex -1, empty Valor) and writes nothing, so the relay's bits stay as they
    // are until the user chooses.
    bool Inicializacion();
    // The user chooses entry i: read-modify-write of the field in Imagen_Edicion, then
    // Change. Refused (false; nothing written, no event, ListIndex unchanged) for an
    // index outside the list or a field value the bits cannot hold.
    bool choose(int index);
    void double_click();

    const std::vector<std::string>& items() const { return items_; }
    int ListCount() const { return static_cast<int>(items_.size()); }
    int ListIndex() const { return list_index_; }
    const std::string& Valor() const { return valor_; }
    const std::string& Texto_Hex() const { return texto_hex_; }
    int position() const { return position_; }

    // List index that shows a field value f: f / Paso to the nearest integer, a tie
    // to the even one; -1 when Paso is not positive.
    int index_for_field(int field) const;

    // Writes every property into a store, leaving out those equal to their default.
    void save(PropertyStore& store) const;

    std::function<void()> on_change;
    std::function<void()> on_dbl_click;

private:
    RegisterImages& images_;
    std::vector<std::string> items_;
    int list_index_ = -1;
    int position_ = 0;
    std::string valor_;
    std::string texto_hex_;
};

}  // namespace neva
