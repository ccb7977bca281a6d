#include "SetpointReport.h"

#include <cmath>
#include <cstdio>

#include "files/Manejo_de_Archivos.h"
#include "startup/SharedState.h"

namespace neva::cli {

namespace {

// Setpoint bytes that a write of blocks 1 and 2 carries.
bool is_sent_position(std::size_t p) { return p <= 53 || (p >= kBlock2.first && p <= kBlock2.last); }

// A clock for a load: a load reads the date but never the clock.
class NoClock : public Clock {
public:
    DateTime now() const override { return {}; }
    std::int64_t monotonic_ms() const override { return 0; }
    std::string short_date(int, int, int) const override { return {}; }
};

}  // namespace

std::vector<const RegisterMapEntry*> visible_entries(const RegisterMap& map) {
    std::vector<const RegisterMapEntry*> out;
    for (const auto& e : map.entries())
        if (!e.hidden) out.push_back(&e);
    return out;
}

std::string page_caption(const RegisterMap& map, const RegisterMapEntry& entry) {
    const RegisterMapPage* page = map.page(entry.page);
    return page ? page->caption : entry.page;
}

std::vector<SetpointRow> setpoint_rows(const RegisterMap& map, const SetpointImage& image) {
    std::vector<SetpointRow> rows;
    for (const RegisterMapEntry* e : visible_entries(map)) rows.push_back({e, page_caption(map, *e), view_setpoint(*e, image)});
    return rows;
}

std::vector<SetpointDifference> diff_setpoints(const RegisterMap& map, const SetpointImage& a, const SetpointImage& b) {
    std::vector<SetpointDifference> out;
    for (const RegisterMapEntry* e : visible_entries(map)) {
        // Only the setpoint's own field counts: other bits of a shared register
        // belong to other rows.
        if (setpoint_field_value(*e, a) == setpoint_field_value(*e, b)) continue;
        out.push_back({e, page_caption(map, *e), view_setpoint(*e, a), view_setpoint(*e, b)});
    }
    return out;
}

std::vector<SetpointProblem> check_setpoints(const RegisterMap& map, const SetpointImage& image) {
    std::vector<SetpointProblem> out;
    for (const RegisterMapEntry* e : visible_entries(map)) {
        const std::int32_t raw = setpoint_field_value(*e, image);
        if (auto reason = check_setpoint(*e, raw)) out.push_back({e, page_caption(map, *e), raw, *reason});
    }
    return out;
}

bool sent_bytes_equal(const SetpointImage& sent, const SetpointImage& held) {
    return differing_sent_positions(sent, held).empty();
}

std::vector<int> differing_sent_positions(const SetpointImage& sent, const SetpointImage& held) {
    std::vector<int> out;
    for (std::size_t p = 0; p < sent.size(); ++p)
        if (is_sent_position(p) && sent[p] != held[p]) out.push_back(static_cast<int>(p));
    return out;
}

std::string setpoint_name(const RegisterMapEntry& entry, const std::string& caption) {
    return caption + " / " + entry.label + " (" + entry.address() + ")";
}

std::string iso_date_time(double ole_date) {
    if (ole_date == 0.0 || !std::isfinite(ole_date) || std::fabs(ole_date) > 3.0e6) return {};
    const DateTime t = from_ole_date(ole_date);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return buf;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::optional<Registro_Archivo> load_setpoint_file(const std::string& path, MessageService& messages) {
    SharedState state;
    RegisterImages images;
    NoClock clock;
    Manejo_de_Archivos files(state, images, messages, clock);
    if (!files.Leer_Archivo(path).loaded) return std::nullopt;
    return files.record();
}

}  // namespace neva::cli
