#pragma once
// Every message box, input box and file dialog of the program goes through this
// service, so that tests script the answers instead of blocking on a modal box.

#include <optional>
#include <string>

namespace neva {

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// Title used where a box carries the application's own title.
inline constexpr const char* kAppTitle = "NEVA Setup";

struct FileDialogSetup {
    std::string initial_name;   // "*.NEVA2"
    std::string filter;         // "NEVA Files (*.NEVA2)|*.NEVA2|All Files (*.*)|*.*|"
    bool overwrite_prompt = false;
    bool hide_read_only = false;
};

class MessageService {
public:
    virtual ~MessageService() = default;
    virtual MsgAnswer message_box(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                  const std::string& title) = 0;
    // nullopt when the user cancels the box.
    virtual std::optional<std::string> input_box(const std::string& prompt, const std::string& title,
                                                 const std::string& default_text) = 0;
    // nullopt when the dialog is cancelled.
    virtual std::optional<std::string> open_file_name(const FileDialogSetup& setup) = 0;
    virtual std::optional<std::string> save_file_name(const FileDialogSetup& setup) = 0;
};

}  // namespace neva
