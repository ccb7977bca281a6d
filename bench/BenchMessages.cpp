#include "BenchMessages.h"

namespace neva::bench {

MsgAnswer BenchMessages::message_box(const std::string& text, MsgButtons buttons, MsgIcon, const std::string&) {
    shown.push_back(text);
    return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgAnswer::Yes : MsgAnswer::Ok;
}

std::optional<std::string> BenchMessages::input_box(const std::string& prompt, const std::string&,
                                                    const std::string&) {
    shown.push_back(prompt);
    return std::nullopt;
}

std::optional<std::string> BenchMessages::open_file_name(const FileDialogSetup&) { return std::nullopt; }
std::optional<std::string> BenchMessages::save_file_name(const FileDialogSetup&) { return std::nullopt; }

}  // namespace neva::bench
