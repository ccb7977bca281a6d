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

int run_show(const CliOptions& options, std::ostream& out, std::ostream& err) {
    const RegisterMap* map = usable_register_map(err);
    if (!map) return kExitFailure;
    const std::string& path = options.operands.at(0);
    const auto rec = load(path, err);
    if (!rec) return kExitFailure;

    const std::string programmer = trimmed(rec->programmer.str());
    const std::string relay_name = trimmed(rec->relay_name.str());
    const std::string observations = trimmed(rec->observations.str());
    const std::string version = trimmed(rec->version.str());
    const std::string saved = iso_date_time(rec->date);
    const auto rows = setpoint_rows(*map, rec->setpoints);

    if (options.json) {
        JsonWriter j(out);
        j.begin_object();
        j.key("file");
        j.value(path);
        j.key("programmer");
        j.value(programmer);
        j.key("relay_name");
        j.value(relay_name);
        j.key("observations");
        j.value(observations);
        j.key("firmware_version");
        j.value(version);
        j.key("saved");
        if (saved.empty()) j.null();
        else j.value(saved);
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
        return kExitOk;
    }

    out << "File:\t" << path << '\n'
        << "Programmer:\t" << programmer << '\n'
        << "Relay name:\t" << relay_name << '\n'
        << "Observations:\t" << observations << '\n'
        << "Firmware version:\t" << version << '\n'
        << "Saved:\t" << saved << '\n'
        << '\n';
    for (const auto& r : rows)
        out << r.caption << '\t' << r.entry->label << '\t' << r.view.display << '\t' << r.view.raw << '\n';
    out.flush();
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

    const auto diffs = diff_setpoints(*map, a->setpoints, b->setpoints);
    if (options.json) {
        JsonWriter j(out);
        j.begin_object();
        j.key("a");
        j.value(path_a);
        j.key("b");
        j.value(path_b);
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

}  // namespace neva::cli
