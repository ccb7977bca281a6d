#pragma once
// The message service of the command-line tool. Nobody sits in front of a script:
// every box the core would show is written to standard error (title and text, the
// program's own words unchanged) and recorded, and answered as a user who accepts
// would answer it (OK, or Yes where asked). Input boxes and file dialogs are
// cancelled: the tool passes every name on its command line instead.

#include <ostream>
#include <string>
#include <vector>

#include "platform/MessageService.h"

namespace neva::cli {

struct ShownMessage {
    std::string text;
    std::string title;
    MsgIcon icon = MsgIcon::None;
};

class CliMessages : public MessageService {
public:
    explicit CliMessages(std::ostream& err) : err_(err) {}

    MsgAnswer message_box(const std::string& text, MsgButtons buttons, MsgIcon icon,
                          const std::string& title) override;
    std::optional<std::string> input_box(const std::string& prompt, const std::string& title,
                                         const std::string& default_text) override;
    std::optional<std::string> open_file_name(const FileDialogSetup& setup) override;
    std::optional<std::string> save_file_name(const FileDialogSetup& setup) override;

    // Boxes whose text begins with `prefix` are recorded but not written, for a
    // caller that reports the same failure in its own, more precise words. An empty
    // prefix writes everything again.
    void suppress(std::string prefix) { suppressed_ = std::move(prefix); }

    const std::vector<ShownMessage>& shown() const { return shown_; }
    // Whether a box with exactly this text was shown.
    bool was_shown(const std::string& text) const;

private:
    std::ostream& err_;
    std::vector<ShownMessage> shown_;
    std::string suppressed_;
};

}  // namespace neva::cli
