#include "editors/BitFieldSelector.h"

#include "editors/NumericEditor.h"
#include "image/Manejo_de_Datos.h"

namespace neva {

BitFieldSelector::BitFieldSelector(const PropertyStore& props, RegisterImages& images)
    : BackColor(kDefaultBackColor), ForeColor(kDefaultForeColor), images_(images) {
    Direccion = props.read_text("Direccion", "0");
    DataLen = props.read_long("DataLen", 0);
    High = props.read_long("High", 0);
    Tipo = props.read_long("Tipo", 0);
    for (int k = 0; k < 4; ++k) Bit[k] = props.read_long("Bit" + std::to_string(k + 1), 0);
    Paso = props.read_long("Paso", 1);
    for (int k = 0; k < 16; ++k) Nombre[k] = props.read_text("Nombre" + std::to_string(k + 1), "0");
    Cantidad_Items = props.read_long("Cantidad_Items", 0);
    Pos_Texto = props.read_long("Pos_Texto", 0);
    Enabled = props.read_bool("Enabled", true);
    BackColor = props.read_long("BackColor", kDefaultBackColor);
    ForeColor = props.read_long("ForeColor", kDefaultForeColor);
    BackStyle = props.read_long("BackStyle", 0);
}

void BitFieldSelector::save(PropertyStore& store) const {
    store.write_text("Direccion", Direccion, "0");
    store.write_long("DataLen", DataLen, 0);
    store.write_long("High", High, 0);
    store.write_long("Tipo", Tipo, 0);
    for (int k = 0; k < 4; ++k) store.write_long("Bit" + std::to_string(k + 1), Bit[k], 0);
    store.write_long("Paso", Paso, 1);
    for (int k = 0; k < 16; ++k) store.write_text("Nombre" + std::to_string(k + 1), Nombre[k], "0");
    store.write_long("Cantidad_Items", Cantidad_Items, 0);
    store.write_long("Pos_Texto", Pos_Texto, 0);
    store.write_bool("Enabled", Enabled, true);
    store.write_long("BackColor", BackColor, kDefaultBackColor);
    store.write_long("ForeColor", ForeColor, kDefaultForeColor);
    store.write_long("BackStyle", BackStyle, 0);
}

std::vector<int> BitFieldSelector::field_bits() const {
    if (Tipo < 0 || Tipo > 3) return {};
    return std::vector<int>(Bit.begin(), Bit.begin() + Tipo + 1);
}

std::vector<std::string> BitFieldSelector::listed_names() const {
    std::vector<std::string> names;
    auto add = [&](int first, int last) {
        for (int k = first; k <= last; ++k) names.push_back(Nombre[k - 1]);
    };
    // The always-listed names, then those Cantidad_Items asks for (name k when
    // Cantidad_Items exceeds k - 1).
    auto add_counted = [&](int first, int last) {
        for (int k = first; k <= last; ++k)
            if (Cantidad_Items > k - 1) names.push_back(Nombre[k - 1]);
    };
    switch (Tipo) {
        case 0: add(1, 2); break;
        case 1: add(1, 2); add_counted(3, 4); break;
        case 2: add(1, 2); add_counted(3, 8); break;
        case 3: add(1, 8); add_counted(9, 16); break;
        default: break;
    }
    return names;
}

bool BitFieldSelector::Crear_Items() {
    for (auto& n : listed_names()) items_.push_back(std::move(n));
    return true;
}

int BitFieldSelector::index_for_field(int field) const {
    if (Paso <= 0 || field < 0) return -1;
    const int q = field / Paso;
    const int r = field % Paso;
    // Nearest integer, a tie going to the even one (3 / 2 -> 2, 1 / 2 -> 0).
    if (2 * r > Paso || (2 * r == Paso && q % 2 == 1)) return q + 1;
    return q;
}

bool BitFieldSelector::Inicializacion() {
    position_ = Posicion_Setpoint(Direccion);
    const std::vector<int> bits = field_bits();
    const int f = bits.empty() ? 0 : Lee_Bits(images_, bits, position_, DataLen, High);
    const int index = index_for_field(f);
    if (index < 0 || index >= ListCount()) {
        // A relay value with no name: show no choice rather than pretend one, and leave
        // the register untouched.
        list_index_ = -1;
        valor_.clear();
        return true;
    }
    // A listed entry whose field value the bits cannot hold (a map error) is shown,
    // but choose() refuses to write it.
    if (!choose(index)) list_index_ = index;
    valor_ = items_[static_cast<std::size_t>(index)];
    return true;
}

bool BitFieldSelector::choose(int index) {
    if (index < 0 || index >= ListCount()) return false;
    const std::vector<int> bits = field_bits();
    if (bits.empty()) return false;
    if (bits.size() > 1) {
        // A field value the bits cannot hold would lose its high bits silently.
        const long long f = static_cast<long long>(index) * Paso;
        if (f < 0 || f > (1LL << bits.size()) - 1) return false;
    }
    position_ = Posicion_Setpoint(Direccion);
    const std::int32_t r = Pon_Bits(images_, index, Paso, bits, position_, DataLen, High);
    texto_hex_ = neva::Texto_Hex(r, 4);
    Escribe_Edicion_Corta(images_, texto_hex_, position_, DataLen, High);
    list_index_ = index;
    if (on_change) on_change();
    return true;
}

void BitFieldSelector::double_click() {
    if (on_dbl_click) on_dbl_click();
}

}  // namespace neva
