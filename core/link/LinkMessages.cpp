#include "link/LinkMessages.h"

#include <cstdio>

#include "image/Manejo_de_Datos.h"
#include "regmap/SetpointView.h"

namespace neva {

namespace {

std::string words_text(unsigned w0, unsigned w1, unsigned w2) {
    return std::to_string(w0) + ", " + std::to_string(w1) + ", " + std::to_string(w2);
}

// The first register of each block and its first image position.
int block_register(int block) { return block == 2 ? 0x0180 : 0x0100; }
int block_position(int block) { return block == 2 ? kBlock2.first : kBlock1.first; }
int sent_registers(int block) { return block == 2 ? 22 : 27; }

std::string what_the_block_holds(BlockOutcome o) {
    switch (o) {
        case BlockOutcome::Verified: return "written, confirmed and read back: the relay holds the file's setpoints";
        case BlockOutcome::Confirmed: return "written and confirmed by the relay, but it could not be read back";
        case BlockOutcome::Differs: return "written, but the relay holds other values:";
        case BlockOutcome::Unconfirmed: return "sent but not confirmed: the relay may hold the file's or its old setpoints";
        case BlockOutcome::Refused: return "refused by the relay: it keeps its old setpoints";
        case BlockOutcome::NotSent: return "not sent: the relay keeps its old setpoints";
    }
    return {};
}

void add_line(std::string& text, const std::string& line) {
    if (!line.empty()) text += "\n" + line;
}

}  // namespace

std::string firmware_version_text(unsigned w2) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%u.%02u", w2 / 100, w2 % 100);
    return buf;
}

std::string unsupported_relay_text(unsigned w0, unsigned w1, unsigned w2) {
    const std::string supported = firmware_version_text(kFirmwareFirst) + " to " + firmware_version_text(kFirmwareLast);
    if (w0 == kRelayModel && w1 == kRelayVariant)
        return "The relay's firmware version " + firmware_version_text(w2) +
               " is not supported.\nThis program supports NEVA200 firmware versions " + supported + ".";
    return "The device is not a NEVA200 relay (identification " + words_text(w0, w1, w2) +
           ").\nThis program supports NEVA200 relays (identification " + std::to_string(kRelayModel) + ", " + std::to_string(kRelayVariant) +
           ") with firmware versions " + supported + ".";
}

std::string block_pages(const RegisterMap& map, int block) {
    static const std::string kPrefix = "SETPOINTS - ";
    std::string out;
    for (const RegisterMapPage& p : map.pages()) {
        if (p.block != block) continue;
        std::string caption = p.caption.rfind(kPrefix, 0) == 0 ? p.caption.substr(kPrefix.size()) : p.caption;
        out += (out.empty() ? "" : ", ") + caption;
    }
    return out;
}

std::vector<std::string> block_differences(const RegisterMap& map, int block, const SetpointImage& sent,
                                           const SetpointImage& held) {
    std::vector<std::string> lines;
    std::vector<bool> named(sent_registers(block), false);
    for (const RegisterMapEntry& e : map.entries()) {
        const RegisterMapPage* page = map.page(e.page);
        if (e.hidden || !page || page->block != block) continue;
        const int reg = static_cast<int>(hex_value(e.address())) - block_register(block);
        if (reg < 0 || reg >= sent_registers(block)) continue;
        // Only the setpoint's own field counts: other bits of a shared register
        // belong to other rows.
        if (setpoint_field_value(e, sent) == setpoint_field_value(e, held)) continue;
        named[reg] = true;
        lines.push_back(e.label + " sent " + view_setpoint(e, sent).display + ", relay holds " +
                        view_setpoint(e, held).display);
    }
    for (int r = 0; r < sent_registers(block); ++r) {
        const int p = block_position(block) + 2 * r;
        if (named[r] || (sent[p] == held[p] && sent[p + 1] == held[p + 1])) continue;
        lines.push_back("register " + Texto_Hex(block_register(block) + r, 4) + ": sent " +
                        Texto_Hex(sent[p] * 256 + sent[p + 1], 4) + ", relay holds " +
                        Texto_Hex(held[p] * 256 + held[p + 1], 4));
    }
    return lines;
}

std::string write_failure_text(const RegisterMap& map, int block, const BlockWrite& w) {
    std::string text;
    switch (w.outcome) {
        case BlockOutcome::Differs:
            text = "The relay does not hold the setpoints sent:";
            for (const std::string& line : block_differences(map, block, w.sent, w.held)) add_line(text, line);
            add_line(text, "The page shows what the relay holds.");
            return text;
        case BlockOutcome::Confirmed:
            text = "The relay confirmed the setpoints, but they could not be read back to check them.";
            add_line(text, describe(w.fault));
            return text;
        case BlockOutcome::Refused:
            text = "The setpoints were not saved: the relay refused them.";
            add_line(text, describe(w.fault));
            add_line(text, "The relay keeps its old setpoints; the page keeps your values.");
            return text;
        case BlockOutcome::Unconfirmed:
        case BlockOutcome::NotSent:
        case BlockOutcome::Verified:
            break;
    }
    text = w.outcome == BlockOutcome::NotSent ? "The setpoints were not sent to the relay."
                                              : "The setpoints were not saved: the relay did not confirm them.";
    add_line(text, describe(w.fault));
    add_line(text, w.outcome == BlockOutcome::NotSent
                       ? "The page keeps your values."
                       : "The relay may hold its old setpoints or these; the page keeps your values and STORE "
                         "sends them again.");
    return text;
}

std::string group_failure_text(const RegisterMap& map, const SetpointWrites& writes) {
    std::string text = kErrorSendingFile;
    bool file = false, old = false, unknown = false, differs = false;
    LinkFault cause;
    for (int b : writes.group()) {
        const BlockWrite& w = writes.block(b);
        add_line(text, "Block " + std::to_string(b) + " (" + block_pages(map, b) + "): " + what_the_block_holds(w.outcome));
        if (w.outcome == BlockOutcome::Differs)
            for (const std::string& line : block_differences(map, b, w.sent, w.held)) add_line(text, "  " + line);
        file = file || w.outcome == BlockOutcome::Verified || w.outcome == BlockOutcome::Confirmed;
        old = old || w.holds_old_values();
        unknown = unknown || w.outcome == BlockOutcome::Unconfirmed;
        differs = differs || w.outcome == BlockOutcome::Differs;
        if (w.fault.kind != LinkFaultKind::None) cause = w.fault;
    }
    if (unknown && (file || old || differs))
        add_line(text, "The relay may now hold a mix of the file's setpoints and its old ones.");
    else if ((file || differs) && old)
        add_line(text, "The relay now holds a mix of the file's setpoints and its old ones.");
    else if (!file && !differs && !unknown)
        add_line(text, "The relay still holds its old setpoints.");
    add_line(text, describe(cause));
    return text;
}

}  // namespace neva
