#include "RecordsCommands.h"

#include <QFileInfo>

#include <charconv>

#include "FileCommands.h"
#include "HistoryDatabase.h"
#include "RelaySession.h"
#include "ReportFile.h"
#include "SetpointReport.h"

namespace neva::cli {

namespace {

using records::HistoryDatabase;

records::ReportFormat format_of(const CliOptions& o) {
    if (!o.format.empty()) return *records::report_format(o.format);
    return *records::report_format_of_path(o.output);  // the parser has checked it
}

int write_report(const CliOptions& o, const records::SettingsReport& report, const std::string& what,
                 std::ostream& err) {
    std::string error;
    if (!records::write_report(report, format_of(o), o.output, error)) {
        err << "neva-cli: " << error << '\n';
        return kExitFailure;
    }
    err << "neva-cli: wrote the settings report of " << what << " to " << o.output << '\n';
    return kExitOk;
}

std::int64_t id_of(const std::string& text) {
    std::int64_t id = 0;
    std::from_chars(text.data(), text.data() + text.size(), id);
    return id;
}

void write_snapshot_keys(JsonWriter& j, const Snapshot& s) {
    j.key("id");
    j.value(static_cast<std::int64_t>(s.id));
    j.key("time");
    j.value(s.taken_at);
    j.key("kind");
    j.value(kind_text(s.kind));
    for (const auto& [key, value] : {std::pair<const char*, const std::string*>{"relay_name", &s.relay_name},
                                     {"port", &s.port}}) {
        j.key(key);
        j.value(*value);
    }
    j.key("baud");
    j.value(s.baud);
    j.key("address");
    j.value(s.address);
    for (const auto& [key, value] : {std::pair<const char*, const std::string*>{"firmware", &s.firmware},
                                     {"user", &s.user},
                                     {"program", &s.program}}) {
        j.key(key);
        j.value(*value);
    }
}

std::optional<Snapshot> snapshot(HistoryDatabase& db, const std::string& id, std::ostream& err) {
    std::string error;
    auto s = db.get(id_of(id), error);
    if (!s) err << "neva-cli: " << error << '\n';
    return s;
}

int history_list(const CliOptions& o, HistoryDatabase* db, std::ostream& out, std::ostream& err) {
    std::vector<Snapshot> list;
    if (db) {
        std::string error;
        auto found = db->list(error);
        if (!found) {
            err << "neva-cli: " << error << '\n';
            return kExitFailure;
        }
        list = std::move(*found);
    }
    if (o.json) {
        JsonWriter j(out);
        j.begin_object();
        j.key("database");
        j.value(HistoryDatabase::default_path());
        j.key("snapshots");
        j.begin_array();
        for (const auto& s : list) {
            j.begin_object();
            write_snapshot_keys(j, s);
            j.end_object();
        }
        j.end_array();
        j.end_object();
        j.finish();
        return kExitOk;
    }
    for (const auto& s : list)
        out << s.id << '\t' << s.taken_at << '\t' << kind_text(s.kind) << '\t' << s.relay_name << '\t' << s.port
            << '\t' << s.address << '\t' << s.firmware << '\t' << s.user << '\n';
    out.flush();
    return kExitOk;
}

}  // namespace

int run_report(const CliOptions& o, std::ostream&, std::ostream& err) {
    const RegisterMap* map = usable_register_map(err);
    if (!map) return kExitFailure;
    if (!o.operands.empty()) {
        const std::string& path = o.operands[0];
        CliMessages messages(err);
        const auto rec = load_setpoint_file(path, messages);
        if (!rec) {
            err << "neva-cli: " << path << ": " << refusal_reason(path) << '\n';
            return kExitFailure;
        }
        return write_report(o, records::settings_report(*map, file_source(path, *rec)), path, err);
    }
    RelaySession session(o, err);
    if (!session.connect()) return kExitFailure;
    const SetpointSource src = relay_source(session.state(), session.images(), session.port_name(), session.clock().now());
    session.disconnect();
    return write_report(o, records::settings_report(*map, src), "the relay (" + session.describe_line() + ")", err);
}

int run_history(const CliOptions& o, std::ostream& out, std::ostream& err) {
    const RegisterMap* map = usable_register_map(err);
    if (!map) return kExitFailure;
    const std::string& sub = o.operands.at(0);
    // Looking at the history creates no database where there is none.
    const bool exists = QFileInfo::exists(QString::fromStdString(HistoryDatabase::default_path()));
    HistoryDatabase db;
    if (sub == "list") return history_list(o, exists ? &db : nullptr, out, err);
    if (!exists) {
        err << "neva-cli: there is no settings history yet (" << HistoryDatabase::default_path() << ")\n";
        return kExitFailure;
    }
    const auto a = snapshot(db, o.operands.at(1), err);
    if (!a) return kExitFailure;

    if (sub == "show") {
        const std::vector<std::pair<std::string, std::string>> header{
            {"Snapshot", std::to_string(a->id)}, {"Time", a->taken_at},       {"Kind", kind_text(a->kind)},
            {"Relay name", a->relay_name},       {"Port", a->port},           {"Speed", std::to_string(a->baud)},
            {"Address", std::to_string(a->address)}, {"Firmware version", a->firmware}, {"User", a->user},
            {"Program", a->program}};
        print_setpoints(o, out, header, [&](JsonWriter& j) { write_snapshot_keys(j, *a); },
                        setpoint_rows(*map, a->setpoints));
        return kExitOk;
    }
    if (sub == "export") return write_report(o, records::settings_report(*map, snapshot_source(*a)), snapshot_title(*a), err);

    const auto b = snapshot(db, o.operands.at(2), err);
    if (!b) return kExitFailure;
    return print_differences(
        o, out, [&](JsonWriter& j) { j.value(static_cast<std::int64_t>(a->id)); },
        [&](JsonWriter& j) { j.value(static_cast<std::int64_t>(b->id)); }, diff_setpoints(*map, a->setpoints, b->setpoints));
}

}  // namespace neva::cli
