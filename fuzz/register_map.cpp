// The register map loader and the property store with arbitrary map text. A map
// the loader takes is then used as the pages use it: every entry shown from a
// setpoint image made of the input's own bytes, checked, and its editor built,
// stepped both ways and given its own maximum through the numeric entry dialog.
//
// Besides crashes it checks what the map and the store promise: a map is either
// loaded or refused with reasons; an editor of a loaded map writes its own field
// and nothing else; and every number the store reads back is the one it wrote.

#include <cmath>
#include <string>

#include "FuzzSupport.h"
#include "editors/BitFieldSelector.h"
#include "editors/EditorFactory.h"
#include "editors/NumericEntry.h"
#include "image/Manejo_de_Datos.h"
#include "regmap/RegisterMap.h"
#include "regmap/SetpointView.h"

namespace {

using namespace neva;

// The typed writes of the store read back what they wrote, for every value a map
// line could hold.
void check_store(std::string_view key, std::string_view value) {
    PropertyStore s;
    s.set(key, value);
    NEVA_FUZZ_CHECK(s.find(key) == std::string(value));
    if (auto n = PropertyStore::parse_integer(value)) {
        NEVA_FUZZ_CHECK(PropertyStore::parse_integer(PropertyStore::long_text(*n)) == n);
        const auto v = static_cast<std::int32_t>(*n);
        s.write_long(key, v, v == 0 ? 1 : 0);
        NEVA_FUZZ_CHECK(s.read_long(key, 0) == v);
    }
    if (auto f = PropertyStore::parse_fixed(value)) {
        NEVA_FUZZ_CHECK(PropertyStore::parse_fixed(PropertyStore::fixed_text(*f)) == f);
        s.write_fixed(key, *f, *f + 1);
        NEVA_FUZZ_CHECK(s.read_fixed(key, *f + 1) == *f);
    }
    if (auto d = PropertyStore::parse_number(value)) {
        const float f = static_cast<float>(*d);
        if (std::isfinite(f)) {
            s.write_single(key, f, f + 1.0f == f ? 0.0f : f + 1.0f);
            NEVA_FUZZ_CHECK(f == 0.0f || s.read_single(key, 0.0f) == f);
        }
    }
    s.erase(key);
    NEVA_FUZZ_CHECK(!s.contains(key));
}

// An editor writes its own field and nothing else: other settings share its register.
void check_only_field_written(const RegisterImages& images, const SetpointImage& before, int pos, int data_len,
                              int high) {
    NEVA_FUZZ_CHECK(images.Imagen_Setpoints == before);
    const int first = data_len == 0 && high == 0 ? pos + 1 : pos;
    const int last = data_len == 0 && high == 1 ? pos : pos + 1;
    for (int i = 0; i < static_cast<int>(before.size()); ++i)
        NEVA_FUZZ_CHECK((i >= first && i <= last) || images.Imagen_Edicion[i] == before[i]);
}

void use_entry(const RegisterMapEntry& e, const SetpointImage& image) {
    const SetpointView view = view_setpoint(e, image);
    check_setpoint(e, view.raw);
    check_setpoint(e, setpoint_field_value(e, image) + 1);

    RegisterImages images;
    images.Imagen_Setpoints = images.Imagen_Edicion = image;
    if (e.kind == ControlKind::Bits) {
        BitFieldSelector s(e.properties, images);
        s.Crear_Items();
        s.Inicializacion();
        for (int i = -1; i <= s.ListCount(); ++i) s.choose(i);
        check_only_field_written(images, image, s.position(), s.DataLen, s.High);
        return;
    }
    CalcHandover calc;
    auto editor = make_numeric_editor(e.kind, e.properties, images, calc);
    if (!editor) return;
    editor->Inicializacion();
    for (int k = 0; k < 3; ++k) editor->spin_up();
    for (int k = 0; k < 3; ++k) editor->spin_down();
    fuzz::AnsweringMessages messages;
    editor->click_value_box([&] {
        NumericEntry dialog(calc, messages);
        dialog.load();
        dialog.set_pantalla(editor->display_for(editor->Max));
        if (!dialog.ok()) dialog.cancel();
    });
    check_only_field_written(images, image, editor->position(), editor->DataLen, editor->High);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> errors;
    const auto map = RegisterMap::load(text, &errors);
    NEVA_FUZZ_CHECK(map.has_value() == errors.empty());

    for (std::size_t pos = 0; pos < text.size();) {
        const auto end = std::min(text.find('\n', pos), text.size());
        const std::string_view line = text.substr(pos, end - pos);
        if (const auto eq = line.find('='); eq != std::string_view::npos) check_store(line.substr(0, eq), line.substr(eq + 1));
        pos = end + 1;
    }
    if (!map) return 0;

    // The setpoint image is the map text itself, repeated: arbitrary but reproducible.
    SetpointImage image{};
    for (std::size_t i = 0; i < image.size() && size > 0; ++i) image[i] = data[(i * 7919) % size];
    for (const auto& e : map->entries()) use_entry(e, image);
    return 0;
}
