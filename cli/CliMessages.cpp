#include "CliMessages.h"

#include <algorithm>

namespace neva::cli {

MsgAnswer CliMessages::message_box(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                   const std::string& title) {
    shown_.push_back({text, title, icon});
    if (suppressed_.empty() || text.rfind(suppressed_, 0) != 0) {
        err_ << "neva-cli: ";
        if (!title.empty()) err_ << title << ": ";
        // A box's further lines (the cause, what the relay holds) are indented
        // under its first.
        for (char c : text) {
            err_ << c;
            if (c == '\n') err_ << "  ";
        }
        err_ << '\n';
        err_.flush();
    }
    switch (buttons) {
        case MsgButtons::YesNo:
        case MsgButtons::YesNoCancel: return MsgAnswer::Yes;
        default: return MsgAnswer::Ok;
    }
}

std::optional<std::string> CliMessages::input_box(const std::string& prompt, const std::string&, const std::string&) {
    shown_.push_back({prompt, "input", MsgIcon::Question});
    return std::nullopt;
}

std::optional<std::string> CliMessages::open_file_name(const FileDialogSetup&) { return std::nullopt; }
std::optional<std::string> CliMessages::save_file_name(const FileDialogSetup&) { return std::nullopt; }

bool CliMessages::was_shown(const std::string& text) const {
    return std::any_of(shown_.begin(), shown_.end(), [&](const ShownMessage& m) { return m.text == text; });
}

}  // namespace neva::cli
