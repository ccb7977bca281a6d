#include "RelayCommands.h"

#include <algorithm>

#include "EventRecord.h"
#include "FileCommands.h"
#include "JsonWriter.h"
#include "PortsReport.h"
#include "RelaySession.h"
#include "adapters/QtPorts.h"
#include "SetpointReport.h"
#include "files/Manejo_de_Archivos.h"
#include "image/Manejo_de_Datos.h"
#include "image/ModAutoRango.h"

namespace neva::cli {

namespace {

void copy_block(const SetpointImage& from, SetpointImage& to, int block) {
    const BlockBounds b = block_bounds(block);
    std::copy(from.begin() + b.first, from.begin() + b.last + 1, to.begin() + b.first);
}

}  // namespace

int run_read(const CliOptions& options, std::ostream&, std::ostream& err) {
    RelaySession session(options, err);
    if (!session.connect()) return kExitFailure;

    SharedState& state = session.state();
    state.Programador = options.programmer.value_or("");
    state.Nombre_Rele = options.relay_name.value_or("");
    state.Observaciones = options.observations.value_or("");
    // The link takes Version_Rele when the first good answer comes, which is not the
    // identification's when that answer had to be repeated: take the identified
    // version itself.
    state.Version_Rele = trimmed(session.neva().Version.str());
    Manejo_de_Archivos files(state, session.images(), session.messages(), session.clock());
    NEVA200& neva = session.neva();
    const bool saved =
        files.Guardar_Archivo(options.output, [&neva](int posicion) { return neva.DatosDeVariables(posicion).text(); });
    session.disconnect();
    if (!saved) return kExitFailure;
    err << "neva-cli: read the relay (" << session.describe_line() << ", firmware " << state.Version_Rele
        << ") into " << options.output << '\n';
    return kExitOk;
}

int run_write(const CliOptions& options, std::ostream&, std::ostream& err) {
    const RegisterMap* map = usable_register_map(err);
    if (!map) return kExitFailure;
    const std::string& path = options.operands.at(0);
    CliMessages file_messages(err);
    const auto rec = load_setpoint_file(path, file_messages);
    if (!rec) {
        err << "neva-cli: " << path << ": " << refusal_reason(path) << '\n';
        return kExitFailure;
    }
    // Nothing the pages could not have produced goes to a protection relay.
    const auto problems = check_setpoints(*map, rec->setpoints);
    if (!problems.empty()) {
        err << "neva-cli: " << path << ": refused, nothing was sent: " << problems.size()
            << (problems.size() == 1 ? " setpoint is" : " setpoints are") << " outside the register map's limits or steps\n";
        for (const auto& p : problems)
            err << "  " << setpoint_name(*p.entry, p.caption) << ": raw value " << p.raw << " " << p.reason << '\n';
        return kExitFailure;
    }
    const SetpointImage& wanted = rec->setpoints;

    RelaySession session(options, err);
    if (!session.connect()) return kExitFailure;
    RegisterImages& images = session.images();
    const std::size_t changed = diff_setpoints(*map, images.Imagen_Setpoints, wanted).size();

    // Both blocks go out as one group, as the program's Send does: block 1 written,
    // confirmed and read back, then block 2. The first block that does not end read
    // back identical ends the group, and the link says block by block what the relay
    // now holds.
    copy_block(wanted, images.Imagen_Edicion, 1);
    copy_block(wanted, images.Imagen_Edicion, 2);
    const bool up = session.send_setpoints({1, 2});
    const SetpointWrites& writes = session.neva().writes();
    const bool verified = up && writes.block(1).outcome == BlockOutcome::Verified &&
                          writes.block(2).outcome == BlockOutcome::Verified;
    // The read-backs stored what the relay holds in the stored image.
    const SetpointImage held = images.Imagen_Setpoints;
    session.disconnect();
    if (!verified || !differing_sent_positions(wanted, held).empty()) {
        err << "neva-cli: writing " << path << " to the relay (" << session.describe_line() << ") failed\n";
        return kExitFailure;
    }
    err << "neva-cli: the relay (" << session.describe_line() << ") now holds the setpoints of " << path << " ("
        << changed << (changed == 1 ? " setpoint" : " setpoints") << " changed); read back and identical\n";
    return kExitOk;
}

int run_events(const CliOptions& options, std::ostream& out, std::ostream& err) {
    RelaySession session(options, err);
    if (!session.connect()) return kExitFailure;
    std::vector<std::string> texts;
    for (int p = 64; p < 84; ++p) texts.push_back(session.neva().DatosDeVariables(p).text());
    const int newest = session.neva().Ultimo_Numero;
    session.disconnect();
    const auto rows = event_rows(texts);

    if (options.json) {
        write_events_json(out, newest, rows);
        return kExitOk;
    }
    for (const auto& r : rows) out << r.number << '\t' << r.description << '\t' << r.date_time << '\n';
    out.flush();
    return kExitOk;
}

int run_metering(const CliOptions& options, std::ostream& out, std::ostream& err) {
    static const char* const kLabels[4] = {"Phase A Current:", "Phase B Current:", "Phase C Current:",
                                           "Ground Current:"};
    RelaySession session(options, err);
    if (!session.connect()) return kExitFailure;
    // The connect sequence read the measurement block once; decode it as the
    // current metering page does.
    std::int32_t bloque = 1;
    NEVA200& neva = session.neva();
    neva.Devuelve_Datos(bloque);
    struct Row {
        std::string value, text, unit;
    };
    std::vector<Row> rows;
    for (int k = 0; k < 4; ++k) {
        const Valor v = neva.DatosDeVariables(12 + k);
        Row r;
        r.value = v.text();
        AutoRango(1, r.text, r.unit, to_fixed(v.number()));
        rows.push_back(r);
    }
    session.disconnect();

    if (options.json) {
        JsonWriter j(out);
        j.begin_object();
        j.key("currents");
        j.begin_array();
        for (int k = 0; k < 4; ++k) {
            j.begin_object();
            j.key("label");
            j.value(kLabels[k]);
            j.key("amperes");
            j.number_text(rows[k].value.empty() ? "null" : rows[k].value);
            j.key("display");
            j.value(rows[k].text);
            j.key("unit");
            j.value(rows[k].unit);
            j.end_object();
        }
        j.end_array();
        j.end_object();
        j.finish();
        return kExitOk;
    }
    for (int k = 0; k < 4; ++k) out << kLabels[k] << '\t' << rows[k].text << '\t' << rows[k].unit << '\n';
    out.flush();
    return kExitOk;
}

int run_ports(const CliOptions& options, std::ostream& out, std::ostream&) {
    write_ports(QtPortSource().ports(), options.json, out);
    return kExitOk;
}

}  // namespace neva::cli
