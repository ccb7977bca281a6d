#pragma once
// A small streaming JSON writer for the JSON the program writes (neva-cli --json,
// the exports of the event and metering pages): two-space indentation, keys in
// the order written (the documented order), strings escaped.
// Texts from setpoint files and the relay are single-byte texts of the system code
// page; whatever is not valid UTF-8 is taken as Latin-1 and converted, so the
// output is always valid JSON.

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace neva {

// A text of a setpoint file or of the relay as UTF-8: valid UTF-8 stays as it is,
// any other byte is a character of the system code page, read as Latin-1.
std::string utf8_text(std::string_view text);

class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out) : out_(out) {}

    void begin_object();
    void end_object();
    void begin_array();
    void end_array();
    void key(std::string_view name);

    void value(std::string_view text);
    void value(const char* text) { value(std::string_view(text)); }
    void value(const std::string& text) { value(std::string_view(text)); }
    void value(std::int64_t number);
    void value(int number) { value(static_cast<std::int64_t>(number)); }
    void value(bool flag);
    void null();
    // A number already written as JSON number text ("12.35").
    void number_text(std::string_view text);

    // Ends the document with a newline.
    void finish();

    // The JSON string literal of a text, quotes included.
    static std::string quote(std::string_view text);

private:
    void before_value();
    void newline();
    // Closes the innermost object or array, on a line of its own unless it is empty.
    void end_level(char bracket);

    struct Level {
        bool array = false;
        bool empty = true;
    };
    std::ostream& out_;
    std::vector<Level> levels_;
    bool after_key_ = false;
};

}  // namespace neva
