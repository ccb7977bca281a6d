#include "FileCommands.h"

#include <filesystem>

#include "CliMessages.h"
#include "JsonWriter.h"
#include "SetpointReport.h"

namespace neva::cli {

namespace {

void write_entry_keys(JsonWriter& j, const RegisterMapEntry& e, const std::string& caption) {
    j.key("page");
    j.value(e.page);
    j.key("caption");
    j.value(caption);
    j.key("control");
    j.value(e.control_name());
    j.key("register");
    j.value(e.address());
    j.key("label");
    j.value(e.label);
}

void write_view(JsonWriter& j, const SetpointView& v) {
    j.begin_object();
    j.key("display");
    j.value(v.display);
    j.key("raw");
    j.value(static_cast<std::int64_t>(v.raw));
    j.end_object();
}

std::optional<Registro_Archivo> load(const std::string& path, std::ostream& err) {
    CliMessages messages(err);
    auto rec = load_setpoint_file(path, messages);
    if (!rec) err << "neva-cli: " << path << ": " << refusal_reason(path) << '\n';
    return rec;
}

}  // namespace

std::string refusal_reason(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::path(std::u8string(path.begin(), path.end())), ec))
        return "no such file";
    return "not a readable setpoint file";
}

const RegisterMap* usable_register_map(std::ostream& err) {
    const RegisterMap& map = shipped_register_map();
    if (!map.entries().empty()) return &map;
    err << "neva-cli: the register map compiled into this program is unusable:\n";
    for (const auto& e : shipped_register_map_errors()) err << "  " << e << '\n';
    return nullptr;
}

void print_setpoints(const CliOptions& options, std::ostream& out,
                     const std::vector<std::pair<std::string, std::string>>& text_header,
                     const std::function<void(JsonWriter&)>& json_header, const std::vector<SetpointRow>& rows) {
    if (options.json) {
        JsonWriter j(out);
        j.begin_object();
        json_header(j);
        j.key("setpoints");
        j.begin_array();
        for (const auto& r : rows) {
            j.begin_object();
            write_entry_keys(j, *r.entry, r.caption);
            j.key("display");
            j.value(r.view.display);
            j.key("raw");
            j.value(static_cast<std::int64_t>(r.view.raw));
            j.end_object();
        }
        j.end_array();
        j.end_object();
        j.finish();
        return;
    }
    for (const auto& [label, value] : text_header) out << label << ":\t" << value << '\n';
    out << '\n';
    for (const auto& r : rows)
        out << r.caption << '\t' << r.entry->label << '\t' << r.view.display << '\t' << r.view.raw << '\n';
    out.flush();
}

int print_differences(const CliOptions& options, std::ostream& out, const std::function<void(JsonWriter&)>& a,
                      const std::function<void(JsonWriter&)>& b, const std::vector<SetpointDifference>& diffs) {
    if (options.json) {
        JsonWriter j(out);
        j.begin_object();
        j.key("a");
        a(j);
        j.key("b");
        b(j);
        j.key("differences");
        j.begin_array();
        for (const auto& d : diffs) {
            j.begin_object();
            write_entry_keys(j, *d.entry, d.caption);
            j.key("a");
            write_view(j, d.a);
            j.key("b");
            write_view(j, d.b);
            j.end_object();
        }
        j.end_array();
        j.end_object();
        j.finish();
    } else {
        for (const auto& d : diffs)
            out << d.caption << '\t' << d.entry->label << '\t' << d.a.display << '\t' << d.b.display << '\n';
        out.flush();
    }
    return diffs.empty() ? kExitOk : kExitFailure;
}

int run_show(const CliOptions& options, std::ostream& out, std::ostream& err) {
    const RegisterMap* map = usable_register_map(err);
    if (!map) return kExitFailure;
    const std::string& path = options.operands.at(0);
    const auto rec = load(path, err);
    if (!rec) return kExitFailure;
    const SetpointSource src = file_source(path, *rec);
    print_setpoints(
        options, out,
        {{"File", path},
         {"Programmer", src.programmer},
         {"Relay name", src.relay_name},
         {"Observations", src.observations},
         {"Firmware version", src.firmware},
         {"Saved", src.saved}},
        [&](JsonWriter& j) {
            for (const auto& [key, value] : {std::pair<const char*, const std::string*>{"file", &path},
                                             {"programmer", &src.programmer},
                                             {"relay_name", &src.relay_name},
                                             {"observations", &src.observations},
                                             {"firmware_version", &src.firmware}}) {
                j.key(key);
                j.value(*value);
            }
            j.key("saved");
            if (src.saved.empty()) j.null();
            else j.value(src.saved);
        },
        setpoint_rows(*map, rec->setpoints));
    return kExitOk;
}

int run_diff(const CliOptions& options, std::ostream& out, std::ostream& err) {
    const RegisterMap* map = usable_register_map(err);
    if (!map) return kExitFailure;
    const std::string& path_a = options.operands.at(0);
    const std::string& path_b = options.operands.at(1);
    const auto a = load(path_a, err);
    const auto b = load(path_b, err);
    if (!a || !b) return kExitFailure;
    return print_differences(
        options, out, [&](JsonWriter& j) { j.value(path_a); }, [&](JsonWriter& j) { j.value(path_b); },
        diff_setpoints(*map, a->setpoints, b->setpoints));
}

}  // namespace neva::cli
