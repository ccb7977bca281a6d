#pragma once
// The benchmark's message service: no one is there to click, so every box is
// answered OK (file dialogs cancelled) and its text kept for the report.

#include <string>
#include <vector>

#include "platform/MessageService.h"

namespace neva::bench {

class BenchMessages : public MessageService {
public:
    MsgAnswer message_box(const std::string& text, MsgButtons buttons, MsgIcon icon,
                          const std::string& title) override;
    std::optional<std::string> input_box(const std::string& prompt, const std::string& title,
                                         const std::string& default_text) override;
    std::optional<std::string> open_file_name(const FileDialogSetup& setup) override;
    std::optional<std::string> save_file_name(const FileDialogSetup& setup) override;

    std::vector<std::string> shown;
};

}  // namespace neva::bench
