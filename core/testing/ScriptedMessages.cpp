#include "testing/ScriptedMessages.h"

#include <gtest/gtest.h>

namespace neva::testing {

namespace {
using Kind = ExpectedPrompt::Kind;
const char* kind_name(Kind k) {
    static const char* const names[] = {"message box", "input box", "open-file dialog", "save-file dialog"};
    return names[static_cast<int>(k)];
}
}  // namespace

ScriptedMessages::~ScriptedMessages() {
    if (!verified_) verify();
}

ScriptedMessages& ScriptedMessages::push(ExpectedPrompt p) {
    expected_.push_back(std::move(p));
    return *this;
}

ScriptedMessages& ScriptedMessages::expect_message(std::string text, MsgAnswer answer) {
    return push({Kind::Message, std::move(text), {}, {}, {}, answer, {}});
}

ScriptedMessages& ScriptedMessages::expect_message(std::string text, std::string title, MsgButtons buttons,
                                                   MsgIcon icon, MsgAnswer answer) {
    return push({Kind::Message, std::move(text), std::move(title), buttons, icon, answer, {}});
}

ScriptedMessages& ScriptedMessages::expect_input(std::string prompt, std::optional<std::string> reply) {
    return push({Kind::Input, std::move(prompt), {}, {}, {}, MsgAnswer::Ok, std::move(reply)});
}

ScriptedMessages& ScriptedMessages::expect_open_file(std::optional<std::string> path) {
    return push({Kind::OpenFile, "", {}, {}, {}, MsgAnswer::Ok, std::move(path)});
}

ScriptedMessages& ScriptedMessages::expect_save_file(std::optional<std::string> path) {
    return push({Kind::SaveFile, "", {}, {}, {}, MsgAnswer::Ok, std::move(path)});
}

void ScriptedMessages::verify() {
    verified_ = true;
    for (const auto& p : expected_)
        ADD_FAILURE() << "expected " << kind_name(p.kind) << " never came: \"" << p.text << "\"";
    expected_.clear();
}

// Records the prompt and takes the next expected one; file dialogs match on kind alone.
std::optional<ExpectedPrompt> ScriptedMessages::next(const SeenPrompt& s) {
    seen.push_back(s);
    if (expected_.empty()) {
        ADD_FAILURE() << "unexpected " << kind_name(s.kind) << ": \"" << s.text << "\"";
        return std::nullopt;
    }
    ExpectedPrompt p = expected_.front();
    expected_.pop_front();
    if (p.kind != s.kind) {
        ADD_FAILURE() << "expected " << kind_name(p.kind) << " \"" << p.text << "\" but got " << kind_name(s.kind)
                      << " \"" << s.text << "\"";
        return std::nullopt;
    }
    // An expected text names the message; lines the program adds under it (the cause
    // and what to check) are checked only by tests that expect them.
    const bool same = p.text == s.text || (s.kind == Kind::Message && s.text.size() > p.text.size() &&
                                           s.text.compare(0, p.text.size(), p.text) == 0 && s.text[p.text.size()] == '\n');
    if ((s.kind == Kind::Message || s.kind == Kind::Input) && !same)
        ADD_FAILURE() << "expected " << kind_name(s.kind) << " \"" << p.text << "\" but got \"" << s.text << "\"";
    return p;
}

MsgAnswer ScriptedMessages::message_box(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                        const std::string& title) {
    if (while_shown) while_shown();
    auto p = next({Kind::Message, text, title, buttons, icon, {}, {}});
    if (!p) return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
    EXPECT_EQ(p->title.value_or(title), title) << "title of \"" << text << "\"";
    EXPECT_EQ(static_cast<int>(p->buttons.value_or(buttons)), static_cast<int>(buttons)) << "buttons of \"" << text << "\"";
    EXPECT_EQ(static_cast<int>(p->icon.value_or(icon)), static_cast<int>(icon)) << "icon of \"" << text << "\"";
    return p->answer;
}

std::optional<std::string> ScriptedMessages::input_box(const std::string& prompt, const std::string& title,
                                                       const std::string& default_text) {
    auto p = next({Kind::Input, prompt, title, MsgButtons::OkCancel, MsgIcon::None, {}, default_text});
    return p ? p->reply : std::nullopt;
}

std::optional<std::string> ScriptedMessages::open_file_name(const FileDialogSetup& setup) {
    auto p = next({Kind::OpenFile, setup.filter, "", MsgButtons::Ok, MsgIcon::None, setup, {}});
    return p ? p->reply : std::nullopt;
}

std::optional<std::string> ScriptedMessages::save_file_name(const FileDialogSetup& setup) {
    auto p = next({Kind::SaveFile, setup.filter, "", MsgButtons::Ok, MsgIcon::None, setup, {}});
    return p ? p->reply : std::nullopt;
}

}  // namespace neva::testing
