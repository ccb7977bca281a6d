#include "regmap/SetpointView.h"

#include <memory>

#include "editors/BitFieldSelector.h"
#include "editors/EditorFactory.h"
#include "editors/MultiRangeEditor.h"
#include "editors/SingleRangeEditor.h"
#include "image/Manejo_de_Datos.h"

namespace neva {

namespace {

// The page widgets run on full register images; a view works on a copy so that the
// bit-field selector's write-back of Inicializacion touches nothing of the caller's.
std::unique_ptr<RegisterImages> images_for(const SetpointImage& image) {
    auto images = std::make_unique<RegisterImages>();
    images->Imagen_Setpoints = image;
    images->Imagen_Edicion = image;
    return images;
}

std::vector<int> list_bits(const PropertyStore& p) {
    const int tipo = p.read_long("Tipo", 0);
    std::vector<int> bits;
    for (int k = 1; k <= tipo + 1 && k <= 4; ++k) bits.push_back(p.read_long("Bit" + std::to_string(k), 0));
    return bits;
}

int data_len(const RegisterMapEntry& e) {
    return e.properties.read_long(data_len_read_key(e.kind), default_data_len(e.kind));
}

}  // namespace

std::int32_t setpoint_field_value(const RegisterMapEntry& entry, const SetpointImage& image) {
    auto images = images_for(image);
    const auto& p = entry.properties;
    const int pos = Posicion_Setpoint(entry.address());
    const int len = data_len(entry);
    const int high = p.read_long("High", 0);
    switch (entry.kind) {
        case ControlKind::Bits: {
            const BitFieldSelector s(p, *images);
            const auto bits = s.field_bits();
            return bits.empty() ? 0 : Lee_Bits(*images, bits, pos, len, high);
        }
        case ControlKind::ListBox: return Lee_Bits(*images, list_bits(p), pos, len, high);
        case ControlKind::CheckGroup: return Lee_Bits(*images, {0, 1, 2, 3}, pos, len, high);
        default: return Lee_Setpoint(*images, pos, len, high);
    }
}

SetpointView view_setpoint(const RegisterMapEntry& entry, const SetpointImage& image) {
    SetpointView view;
    view.raw = setpoint_field_value(entry, image);
    const auto& p = entry.properties;
    switch (entry.kind) {
        case ControlKind::Bits: {
            auto images = images_for(image);
            BitFieldSelector s(p, *images);
            s.Crear_Items();
            s.Inicializacion();
            view.display = s.Valor();
            break;
        }
        case ControlKind::ListBox: {
            const int index = view.raw - p.read_long("ValueOffset", 0);
            if (index >= 0 && index < p.read_long("Cantidad_Items", 0) && index < 16)
                view.display = p.read_text("Nombre" + std::to_string(index + 1), "0");
            break;
        }
        case ControlKind::CheckGroup:
            for (int b = 0; b < 4; ++b) {
                if (b > 0) view.display += ' ';
                view.display += (view.raw >> b) & 1 ? "[x] " : "[ ] ";
                view.display += p.read_text("Caption" + std::to_string(b + 1), "");
            }
            break;
        default: {
            auto images = images_for(image);
            CalcHandover calc;
            auto editor = make_numeric_editor(entry.kind, p, *images, calc);
            editor->Inicializacion();
            view.display = editor->Valor();
            break;
        }
    }
    return view;
}

std::optional<std::string> check_setpoint(const RegisterMapEntry& entry, std::int32_t raw) {
    const auto& p = entry.properties;
    switch (entry.kind) {
        case ControlKind::CheckGroup:
            if (raw < 0 || raw > 15) return "not a combination of the four relays";
            return std::nullopt;
        case ControlKind::ListBox: {
            const int index = raw - p.read_long("ValueOffset", 0);
            if (index < 0 || index >= p.read_long("Cantidad_Items", 0)) return "not a listed choice";
            return std::nullopt;
        }
        case ControlKind::Bits: {
            RegisterImages scratch;
            BitFieldSelector s(p, scratch);
            const int count = static_cast<int>(s.listed_names().size());
            if (s.Paso <= 0 || raw < 0 || raw % s.Paso != 0 || raw / s.Paso >= count) return "not a listed choice";
            return std::nullopt;
        }
        default: break;
    }
    RegisterImages scratch;
    CalcHandover calc;
    auto editor = make_numeric_editor(entry.kind, p, scratch, calc);
    if (!editor->capacity().holds(raw)) return "does not fit its field";
    if (raw < editor->Min || raw > editor->Max)
        return "outside " + std::to_string(editor->Min) + ".." + std::to_string(editor->Max);
    std::int32_t step = 0;
    if (auto* single = dynamic_cast<SingleRangeEditor*>(editor.get())) step = single->SmallChange;
    else if (auto* multi = dynamic_cast<MultiRangeEditor*>(editor.get())) step = multi->increment(multi->range_of(raw));
    if (step > 0 && raw % step != 0) return "not a multiple of its step " + std::to_string(step);
    return std::nullopt;
}

}  // namespace neva
