#include "compare/SetpointCompare.h"

namespace neva {

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

std::vector<SetpointComparison> compare_setpoints(const RegisterMap& map, const SetpointImage& a,
                                                  const SetpointImage& b) {
    std::vector<SetpointComparison> out;
    for (const RegisterMapEntry* e : visible_entries(map)) {
        SetpointComparison c{e, page_caption(map, *e), view_setpoint(*e, a), view_setpoint(*e, b), false};
        c.differs = c.a.raw != c.b.raw;
        out.push_back(std::move(c));
    }
    return out;
}

std::vector<SetpointDifference> diff_setpoints(const RegisterMap& map, const SetpointImage& a, const SetpointImage& b) {
    std::vector<SetpointDifference> out;
    for (auto& c : compare_setpoints(map, a, b))
        if (c.differs) out.push_back(std::move(c));
    return out;
}

std::string setpoint_name(const RegisterMapEntry& entry, const std::string& caption) {
    return caption + " / " + entry.label + " (" + entry.address() + ")";
}

}  // namespace neva
