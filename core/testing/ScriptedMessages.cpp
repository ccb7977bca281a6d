#include "testing/ScriptedMessages.h"

#include <gtest/gtest.h>

namespace neva::testing {

namespace {
const char* kind_name(ExpectedPrompt::Kind k) {
    switch (k) {
        case ExpectedPrompt::Kind::Message: return "message box";
        case ExpectedPrompt::Kind::Input: return "input box";
        case ExpectedPrompt::Kind::OpenFile: return "open-file dialog";
        case ExpectedPrompt::Kind::SaveFile: return "save-file dialog";
    }
    return "?";
}
}  // namespace

ScriptedMessages::~ScriptedMessages() {
    if (!verified_) verify();
}

ScriptedMessages& ScriptedMessages::expect_message(std::string text, MsgAnswer answer) {
    ExpectedPrompt p;
    p.text = std::move(text);
    p.answer = answer;
    expected_.push_back(std::move(p));
    return *this;
}

ScriptedMessages& ScriptedMessages::expect_message(std::string text, std::string title, MsgButtons buttons,
                                                   MsgIcon icon, MsgAnswer answer) {
    ExpectedPrompt p;
    p.text = std::move(text);
    p.title = std::move(title);
    p.buttons = buttons;
    p.icon = icon;
    p.answer = answer;
    expected_.push_back(std::move(p));
    return *this;
}

ScriptedMessages& ScriptedMessages::expect_input(std::string prompt, std::optional<std::string> reply) {
    ExpectedPrompt p;
    p.kind = ExpectedPrompt::Kind::Input;
    p.text = std::move(prompt);
    p.reply = std::move(reply);
    expected_.push_back(std::move(p));
    return *this;
}

ScriptedMessages& ScriptedMessages::expect_open_file(std::optional<std::string> path) {
    ExpectedPrompt p;
    p.kind = ExpectedPrompt::Kind::OpenFile;
    p.reply = std::move(path);
    expected_.push_back(std::move(p));
    return *this;
}

ScriptedMessages& ScriptedMessages::expect_save_file(std::optional<std::string> path) {
    ExpectedPrompt p;
    p.kind = ExpectedPrompt::Kind::SaveFile;
    p.reply = std::move(path);
    expected_.push_back(std::move(p));
    return *this;
}

void ScriptedMessages::verify() {
    verified_ = true;
    for (const auto& p : expected_)
        ADD_FAILURE() << "expected " << kind_name(p.kind) << " never came: \"" << p.text << "\"";
    expected_.clear();
}

std::optional<ExpectedPrompt> ScriptedMessages::next(ExpectedPrompt::Kind kind, const std::string& text) {
    if (expected_.empty()) {
        ADD_FAILURE() << "unexpected " << kind_name(kind) << ": \"" << text << "\"";
        return std::nullopt;
    }
    ExpectedPrompt p = expected_.front();
    expected_.pop_front();
    if (p.kind != kind) {
        ADD_FAILURE() << "expected " << kind_name(p.kind) << " \"" << p.text << "\" but got " << kind_name(kind)
                      << " \"" << text << "\"";
        return std::nullopt;
    }
    // An expected text names the message; lines the program adds under it (the cause
    // and what to check) are checked only by tests that expect them.
    const bool same = p.text == text || (kind == ExpectedPrompt::Kind::Message && text.size() > p.text.size() &&
                                         text.compare(0, p.text.size(), p.text) == 0 && text[p.text.size()] == '\n');
    if ((kind == ExpectedPrompt::Kind::Message || kind == ExpectedPrompt::Kind::Input) && !same) {
        ADD_FAILURE() << "expected " << kind_name(kind) << " \"" << p.text << "\" but got \"" << text << "\"";
    }
    return p;
}

MsgAnswer ScriptedMessages::message_box(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                        const std::string& title) {
    seen.push_back({ExpectedPrompt::Kind::Message, text, title, buttons, icon, {}});
    if (while_shown) while_shown(text);
    auto p = next(ExpectedPrompt::Kind::Message, text);
    if (!p) return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
    if (p->title) {
        EXPECT_EQ(*p->title, title) << "title of \"" << text << "\"";
    }
    if (p->buttons) {
        EXPECT_EQ(static_cast<int>(*p->buttons), static_cast<int>(buttons)) << "buttons of \"" << text << "\"";
    }
    if (p->icon) {
        EXPECT_EQ(static_cast<int>(*p->icon), static_cast<int>(icon)) << "icon of \"" << text << "\"";
    }
    return p->answer;
}

std::optional<std::string> ScriptedMessages::input_box(const std::string& prompt, const std::string& title,
                                                       const std::string&) {
    seen.push_back({ExpectedPrompt::Kind::Input, prompt, title, MsgButtons::OkCancel, MsgIcon::None, {}});
    auto p = next(ExpectedPrompt::Kind::Input, prompt);
    return p ? p->reply : std::nullopt;
}

std::optional<std::string> ScriptedMessages::open_file_name(const FileDialogSetup& setup) {
    seen.push_back({ExpectedPrompt::Kind::OpenFile, setup.filter, "", MsgButtons::Ok, MsgIcon::None, setup});
    auto p = next(ExpectedPrompt::Kind::OpenFile, setup.filter);
    return p ? p->reply : std::nullopt;
}

std::optional<std::string> ScriptedMessages::save_file_name(const FileDialogSetup& setup) {
    seen.push_back({ExpectedPrompt::Kind::SaveFile, setup.filter, "", MsgButtons::Ok, MsgIcon::None, setup});
    auto p = next(ExpectedPrompt::Kind::SaveFile, setup.filter);
    return p ? p->reply : std::nullopt;
}

}  // namespace neva::testing
