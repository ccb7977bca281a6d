#pragma once
// A message service that plays a script: the test lists the boxes it expects,
// in order, with the answer to give. A box that was not expected, or that
// differs from the next expected one, fails the test; so do expected boxes that
// never came (checked when the service is destroyed or by verify()).

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/MessageService.h"

namespace neva::testing {

struct ExpectedPrompt {
    enum class Kind { Message, Input, OpenFile, SaveFile } kind = Kind::Message;
    std::string text;                       // message text or input prompt
    std::optional<std::string> title;       // checked when set
    std::optional<MsgButtons> buttons;      // checked when set
    std::optional<MsgIcon> icon;            // checked when set
    MsgAnswer answer = MsgAnswer::Ok;       // for message boxes
    std::optional<std::string> reply;       // input text or file name; nullopt = cancelled
};

struct SeenPrompt {
    ExpectedPrompt::Kind kind;
    std::string text, title;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    FileDialogSetup dialog;
    std::string default_text;  // what an input box offered
};

class ScriptedMessages : public MessageService {
public:
    ~ScriptedMessages() override;

    ScriptedMessages& expect_message(std::string text, MsgAnswer answer = MsgAnswer::Ok);
    ScriptedMessages& expect_message(std::string text, std::string title, MsgButtons buttons, MsgIcon icon,
                                     MsgAnswer answer = MsgAnswer::Ok);
    ScriptedMessages& expect_input(std::string prompt, std::optional<std::string> reply);
    ScriptedMessages& expect_open_file(std::optional<std::string> path);
    ScriptedMessages& expect_save_file(std::optional<std::string> path);

    // Fails the test for expected prompts that have not come yet.
    void verify();
    bool done() const { return expected_.empty(); }

    std::vector<SeenPrompt> seen;
    // Runs while a message box is up, before its answer: a modal box's own event loop
    // runs timer ticks and port events, and the test can look at what the program
    // shows the user behind the box.
    std::function<void()> while_shown;

    MsgAnswer message_box(const std::string& text, MsgButtons buttons, MsgIcon icon,
                          const std::string& title) override;
    std::optional<std::string> input_box(const std::string& prompt, const std::string& title,
                                         const std::string& default_text) override;
    std::optional<std::string> open_file_name(const FileDialogSetup& setup) override;
    std::optional<std::string> save_file_name(const FileDialogSetup& setup) override;

private:
    ScriptedMessages& push(ExpectedPrompt p);
    std::optional<ExpectedPrompt> next(const SeenPrompt& seen);
    std::deque<ExpectedPrompt> expected_;
    bool verified_ = false;
};

}  // namespace neva::testing
