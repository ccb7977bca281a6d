// Modem programming with the default and a personal string, and the AT file, on
// fakes: a program state with the link's port open on COM3 at 19200, a scripted
// modem on the far end of whatever port the programming opens, a fake clock that the event
// pump and the blocking pauses move, and a folder of its own for the file "AT".
//
// The modem's port records every write with the line set-up it went out with, and
// the script's answer comes back into the input buffer after a delay on the fake
// clock. A '|' in an answer splits it into parts that arrive one delay apart, as a
// real modem's echo and result do.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>

#include "modem/Lectura_Escritura.h"
#include "testing/FakeClock.h"
#include "testing/FakePort.h"
#include "testing/ScriptedMessages.h"
#include "testing/TempDir.h"

namespace neva::testing {
namespace {

class FakeModemPort : public FakePort {
public:
    explicit FakeModemPort(FakeClock& clock) : clock_(clock) {}

    struct Sent {
        std::string text;
        std::int64_t at_ms;
        int port;
        std::string settings;
        bool dtr;
        int receive_threshold;
    };

    // What the modem answers to one write; empty = nothing.
    std::function<std::string(const std::string&)> answer;
    int delay_ms = 50;
    std::set<int> dead_ports;  // open() fails for these port numbers
    std::vector<Sent> sent;
    std::vector<std::pair<int, std::string>> opens;  // port number and settings of each open
    // Runs on each write, after it is recorded (a test pulls a device out there).
    std::function<void()> on_write;

    bool open() override {
        if (dead_ports.count(port_number())) return false;
        opens.emplace_back(port_number(), settings());
        return FakePort::open();
    }

    bool write(const std::vector<std::uint8_t>& bytes) override {
        if (!FakePort::write(bytes)) return false;
        const std::string text(bytes.begin(), bytes.end());
        sent.push_back({text, clock_.monotonic_ms(), port_number(), settings(), dtr(), receive_threshold()});
        if (on_write) on_write();
        if (!answer) return true;
        std::string reply = answer(text);
        std::int64_t due = clock_.monotonic_ms();
        while (!reply.empty()) {
            due += delay_ms;
            const auto bar = reply.find('|');
            pending_.push_back({due, reply.substr(0, bar)});
            reply = bar == std::string::npos ? std::string() : reply.substr(bar + 1);
        }
        return true;
    }

    // The modem's side of time passing: answers that are due arrive.
    void run() {
        const std::int64_t now = clock_.monotonic_ms();
        while (!pending_.empty() && pending_.front().due <= now) {
            if (is_open()) deliver(std::vector<std::uint8_t>(pending_.front().text.begin(), pending_.front().text.end()));
            pending_.erase(pending_.begin());
        }
    }

    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& s : sent) out.push_back(s.text);
        return out;
    }

private:
    struct Pending {
        std::int64_t due;
        std::string text;
    };
    FakeClock& clock_;
    std::vector<Pending> pending_;
};

class ModemFixture : public ::testing::Test {
protected:
    void SetUp() override {
        state.Modo_Modem = true;
        state.Puerto_Com = 3;
        state.Velocidad_Com = 19200;
        state.En_Linea = true;

        port.set_port_number(3);
        port.set_settings("19200,N,8,1");
        port.open();
        port.opens.clear();
        port.on_event = [this](SerialPort::Event) { ++link_events; };
        port.on_lost = [this] { ++link_lost; };

        modem = std::make_unique<Lectura_Escritura>(
            state, port, clock, messages,
            [this] {
                clock.advance_ms(20);
                port.run();
            },
            folder());
        modem->set_sleep([this](int ms) { clock.advance_ms(ms); });
    }

    void TearDown() override { messages.verify(); }

    std::string folder() const { return tmp.dir().string(); }
    // Programs the default string with the user agreeing to connect the modem at
    // `place`; `outcome` is the message expected at the end, if any.
    void program_default(int speed, int location, const std::string& place, const char* outcome) {
        messages.expect_message("Please Connect the Modem to " + place, MsgAnswer::Ok);
        if (outcome) messages.expect_message(outcome);
        modem->Modem_Click(Lectura_Escritura::kDefaultString, speed, location, place);
    }
    std::string at_file() const { return read_file(tmp.path("AT")); }

    // The link has its own port back: number, settings, open state and handlers.
    void expect_link_port_back() {
        EXPECT_EQ(port.port_number(), 3);
        EXPECT_EQ(port.settings(), "19200,N,8,1");
        EXPECT_TRUE(port.is_open());
        EXPECT_FALSE(port.dtr());
        EXPECT_EQ(port.receive_threshold(), 1);
        ASSERT_TRUE(port.on_event);
        const int before = link_events;
        port.on_event(SerialPort::Event::Receive);
        EXPECT_EQ(link_events, before + 1);
        EXPECT_TRUE(port.on_lost);
    }

    TempDir tmp;
    SharedState state;
    FakeClock clock;
    FakeModemPort port{clock};
    ScriptedMessages messages;
    std::unique_ptr<Lectura_Escritura> modem;
    int link_events = 0;
    int link_lost = 0;
};

const std::string kSecond = "ATE0 V0 S0=2 &W1 &Y1\r";

// A modem fresh from the factory: echo on, and the reply to the second command in
// numeric form, `code` CR.
std::function<std::string(const std::string&)> echoing_modem(const std::string& code) {
    return [code](const std::string& w) -> std::string {
        if (w == "AT&F\r") return "AT&F\r|\r\nOK\r\n";
        if (w == kSecond) return kSecond + "|" + code + "\r";
        return "";
    };
}

class DefaultString : public ModemFixture {};

TEST_F(DefaultString, AcceptedProfileIsReportedAndEverythingIsGivenBack) {
    port.answer = echoing_modem("0");
    messages.expect_message("Please Connect the Modem to COM2", kAppTitle, MsgButtons::OkCancel, MsgIcon::None,
                            MsgAnswer::Ok);
    messages.expect_message("Modem Has Been Programed", kAppTitle, MsgButtons::Ok, MsgIcon::None);

    modem->Modem_Click(Lectura_Escritura::kDefaultString, 1, 1, "COM2");

    EXPECT_EQ(port.texts(), (std::vector<std::string>{"AT&F\r", kSecond}));
    // Both commands went to the frame's port at the frame's speed, with DTR held and
    // no port events for the link.
    for (const auto& s : port.sent) {
        EXPECT_EQ(s.port, 2);
        EXPECT_EQ(s.settings, "2400,N,8,1");
        EXPECT_TRUE(s.dtr);
        EXPECT_EQ(s.receive_threshold, 0);
    }
    EXPECT_EQ(link_events, 0);
    expect_link_port_back();
    EXPECT_TRUE(state.Modo_Modem);
    EXPECT_EQ(state.Velocidad_Com, 19200);

    // A modem already without echo, answering in words, is accepted as well; its
    // reply coming a byte at a time does not end the wait on half a code.
    port.sent.clear();
    port.delay_ms = 30;
    port.answer = [](const std::string& w) -> std::string {
        if (w == "AT&F\r") return "\r|\n|O|K|\r|\n";
        if (w == kSecond) return "\r\nOK\r\n";
        return "";
    };
    program_default(3, 3, "COM4", "Modem Has Been Programed");
    EXPECT_EQ(port.texts(), (std::vector<std::string>{"AT&F\r", kSecond}));
    EXPECT_EQ(port.sent[0].settings, "9600,N,8,1");
}

TEST_F(DefaultString, RefusedProfileShowsNothingEvenBehindAnEcho) {
    // The echo of the command is not the modem's answer: numeric 4 is a refusal.
    port.answer = echoing_modem("4");
    program_default(3, 0, "COM1", nullptr);
    EXPECT_EQ(port.texts(), (std::vector<std::string>{"AT&F\r", kSecond}));
    expect_link_port_back();
    EXPECT_EQ(state.Puerto_Com, 3);

    // Words or garbage in place of a code are no acceptance either.
    for (const std::string reply : {"\r\nERROR\r\n", "\x7f\x13\xfe"}) {
        port.answer = [reply](const std::string& w) -> std::string {
            if (w == "AT&F\r") return "\r\nOK\r\n";
            return w == kSecond ? reply : "";
        };
        program_default(3, 0, "COM1", nullptr);
    }
}

TEST_F(DefaultString, SilentModemIsNotResponseAfterTwoSeconds) {
    messages.expect_message("Please Connect the Modem to COM2", MsgAnswer::Ok);
    messages.expect_message("Modem Not Response", kAppTitle, MsgButtons::Ok, MsgIcon::None);
    const auto start = clock.monotonic_ms();

    modem->Modem_Click(Lectura_Escritura::kDefaultString, 0, 1, "COM2");

    EXPECT_EQ(port.texts(), (std::vector<std::string>{"AT&F\r"}));
    EXPECT_GE(clock.monotonic_ms() - start, 2000);
    EXPECT_LT(clock.monotonic_ms() - start, 3000);
    // The connection type comes back; the port and speed stay those of the frame.
    EXPECT_TRUE(state.Modo_Modem);
    EXPECT_EQ(state.Velocidad_Com, 1200);
    expect_link_port_back();

    // Silent after the first answer: nothing is put back at all.
    state.Modo_Modem = true;
    port.answer = [](const std::string& w) -> std::string { return w == "AT&F\r" ? "\r\nOK\r\n" : ""; };
    program_default(2, 1, "COM2", "Modem Not Response");
    EXPECT_EQ(port.texts(), (std::vector<std::string>{"AT&F\r", "AT&F\r", kSecond}));
    EXPECT_FALSE(state.Modo_Modem);
    expect_link_port_back();
}

TEST_F(DefaultString, CancelTouchesNothingAndNoPortThatOpensIsNotResponse) {
    port.answer = echoing_modem("0");
    messages.expect_message("Please Connect the Modem to COM1", MsgAnswer::Cancel);
    modem->Modem_Click(Lectura_Escritura::kDefaultString, 0, 0, "COM1");
    EXPECT_TRUE(port.opens.empty());
    EXPECT_TRUE(port.is_open());
    EXPECT_EQ(state.Puerto_Com, 3);

    // Neither string chosen: no box, nothing sent.
    modem->Modem_Click(-1, 0, 0, "COM1");
    EXPECT_TRUE(port.opens.empty());

    port.dead_ports = {2};
    program_default(3, 1, "COM2", "Modem Not Response");
    EXPECT_TRUE(port.sent.empty());
    expect_link_port_back();

    // No location chosen: no port 0 is tried.
    port.opens.clear();
    program_default(-1, -1, "", "Modem Not Response");
    EXPECT_TRUE(port.sent.empty());
    EXPECT_EQ(port.opens, (std::vector<std::pair<int, std::string>>{{3, "19200,N,8,1"}}));
    EXPECT_EQ(state.Velocidad_Com, 9600);  // no speed chosen: the one in use stays
}

TEST_F(DefaultString, LinkPortThatWasClosedStaysClosedAndALostOneIsReported) {
    port.close();
    port.answer = echoing_modem("0");
    program_default(3, 0, "COM1", "Modem Has Been Programed");
    EXPECT_FALSE(port.is_open());
    EXPECT_EQ(port.settings(), "19200,N,8,1");
    EXPECT_EQ(link_lost, 0);

    // The link's adapter disappears while the modem has the port.
    port.open();
    port.on_write = [this] { port.dead_ports.insert(3); };
    program_default(3, 0, "COM1", "Modem Has Been Programed");
    EXPECT_FALSE(port.is_open());
    EXPECT_EQ(link_lost, 1);
}

TEST_F(DefaultString, WaitsEndEvenWhenTheClockStandsStill) {
    // An event pump and a sleep that let no time pass must not hang the program.
    Lectura_Escritura stuck(state, port, clock, messages, [] {}, folder());
    stuck.set_sleep([](int) {});
    messages.expect_message("Please Connect the Modem to COM1", MsgAnswer::Ok);
    messages.expect_message("Modem Not Response");
    stuck.Modem_Click(Lectura_Escritura::kDefaultString, 3, 0, "COM1");
    stuck.Pausa(1000);
    EXPECT_EQ(clock.monotonic_ms(), 0);
}

TEST(ModemResultCode, ReadsTheCodeAfterAnyEcho) {
    using L = Lectura_Escritura;
    EXPECT_EQ(L::result_code("ATE0 V0\r0\r"), 0);
    EXPECT_EQ(L::result_code("at&f\r\r\nOK\r\n"), 0);
    EXPECT_EQ(L::result_code("\r\nCONNECT 2400\r\n"), 1);
    EXPECT_EQ(L::result_code("garbage\r"), -1);
    // Not a whole line yet.
    EXPECT_EQ(L::result_code("0"), std::nullopt);
    EXPECT_EQ(L::result_code("\r\nOK"), std::nullopt);
    EXPECT_EQ(L::result_code("OK"), std::nullopt) << "an OK that starts no line ends no wait";
    EXPECT_EQ(L::result_code("ATE0 V0\r"), std::nullopt);
}

const std::vector<std::string> kPreamble = {"ATV1E0\r", "+++", "ATH\r", "AT&F\r", "AT&K0N1\r"};

// A modem in command mode: OK to every command line, nothing to the escape or to an
// empty line, and `last` to the user's string.
std::function<std::string(const std::string&)> hayes(const std::string& user_string, const std::string& last) {
    return [=](const std::string& w) -> std::string {
        if (w == "+++" || w == "\r") return "";
        if (w == user_string + "\r") return last;
        return "\r\nOK\r\n";
    };
}

std::vector<std::string> with_last(const std::string& last) {
    auto v = kPreamble;
    v.push_back(last);
    return v;
}

class PersonalString : public ModemFixture {};

TEST_F(PersonalString, AcceptedStringIsKeptInTheFileAndReported) {
    write_file(tmp.path("AT"), "AT&C1" + std::string(95, ' '));
    port.answer = hayes("AT S0=1", "AT S0=1\r|\r\nOK\r\n");
    messages.expect_input("Enter the New string initialization", std::string("  AT S0=1 "));
    messages.expect_message("Please Connect the Modem to COM2", kAppTitle, MsgButtons::OkCancel, MsgIcon::None,
                            MsgAnswer::Ok);
    messages.expect_message("Modem Has Been Programed", kAppTitle, MsgButtons::Ok, MsgIcon::None);

    modem->Modem_Click(Lectura_Escritura::kPersonalString, 2, 1, "COM2");

    // The box offered the string of the file, without its blanks.
    EXPECT_EQ(messages.seen.at(0).default_text, "AT&C1");
    EXPECT_EQ(state.Cadena_Modem, "AT S0=1");
    EXPECT_EQ(at_file(), "AT S0=1" + std::string(93, ' '));
    EXPECT_EQ(port.texts(), with_last("AT S0=1\r"));
    for (const auto& s : port.sent) EXPECT_EQ(s.settings, "4800,N,8,1");
    // A second of silence before and after the escape: the pause lets no events run,
    // so the escape's own collection then waits its full two seconds.
    const auto& t = port.sent;
    EXPECT_GE(t[1].at_ms - t[0].at_ms, 1000);
    EXPECT_GE(t[2].at_ms - t[1].at_ms, 1000 + 2000);
    EXPECT_TRUE(state.Modem_Programado);
    // The frame's choice stays, on a direct line.
    EXPECT_FALSE(state.Modo_Modem);
    EXPECT_EQ(state.Puerto_Com, 2);
    expect_link_port_back();
}

TEST_F(PersonalString, ErrorAnswerIsReportedAsNoResponse) {
    port.answer = hayes("ATX9", "\r\nERROR\r\n");
    state.Modem_Programado = true;
    messages.expect_input("Enter the New string initialization", std::string("ATX9"));
    messages.expect_message("Please Connect the Modem to COM1", MsgAnswer::Ok);
    messages.expect_message("Modem doesn't response", kAppTitle, MsgButtons::Ok, MsgIcon::None);
    const auto start = clock.monotonic_ms();

    modem->Modem_Click(Lectura_Escritura::kPersonalString, 3, 0, "COM1");

    EXPECT_EQ(port.texts(), with_last("ATX9\r"));
    EXPECT_FALSE(state.Modem_Programado);
    // ERROR ends the last wait at once instead of after its twenty seconds.
    EXPECT_LT(clock.monotonic_ms() - start, 10000);
    expect_link_port_back();
}

TEST_F(PersonalString, EmptyStringWritesNoFileAndSendsALoneCr) {
    // A box answered with blanks sends a lone CR; a cancelled box ends the run at once.
    for (const std::optional<std::string>& typed : {std::optional<std::string>{"   "}, std::optional<std::string>{}}) {
        port.sent.clear();
        port.answer = hayes("", "");
        state.Modem_Programado = true;
        messages.expect_input("Enter the New string initialization", typed);
        if (!typed) {
            modem->Modem_Click(Lectura_Escritura::kPersonalString, 3, 0, "COM1");
            EXPECT_TRUE(port.sent.empty());
            break;
        }
        messages.expect_message("Please Connect the Modem to COM1", MsgAnswer::Ok);

        modem->Modem_Click(Lectura_Escritura::kPersonalString, 3, 0, "COM1");

        EXPECT_FALSE(std::filesystem::exists(tmp.path("AT")));
        EXPECT_EQ(port.texts(), with_last("\r"));
        // No answer to the empty line: the last step ran to its limit, with no message.
        EXPECT_GT(clock.monotonic_ms() - port.sent.back().at_ms, 20000);
        EXPECT_FALSE(state.Modem_Programado);
        expect_link_port_back();
    }
}

TEST_F(PersonalString, CancelJustStopsAndKeepsTheTypedString) {
    messages.expect_input("Enter the New string initialization", std::string("AT&D0"));
    messages.expect_message("Please Connect the Modem to COM4", MsgAnswer::Cancel);
    modem->Modem_Click(Lectura_Escritura::kPersonalString, 0, 3, "COM4");
    EXPECT_TRUE(port.opens.empty());
    EXPECT_EQ(state.Puerto_Com, 3);
    // The typed string was kept all the same.
    EXPECT_EQ(at_file(), "AT&D0" + std::string(95, ' '));
}

TEST_F(PersonalString, RecordsAreHundredBlankPaddedBytesAndShortFilesAreRefused) {
    // Missing: reads as empty and is not created by the read.
    state.Cadena_Modem = "old";
    EXPECT_TRUE(modem->Leer_Cadena_Modem(1));
    EXPECT_EQ(state.Cadena_Modem, "");
    EXPECT_FALSE(std::filesystem::exists(tmp.path("AT")));

    state.Cadena_Modem = "AT&C1&D2";
    ASSERT_TRUE(modem->Guardar_Cadena_Modem(1));
    EXPECT_EQ(at_file(), "AT&C1&D2" + std::string(92, ' '));
    state.Cadena_Modem.clear();
    ASSERT_TRUE(modem->Leer_Cadena_Modem(1));
    EXPECT_EQ(state.Cadena_Modem, "AT&C1&D2" + std::string(92, ' '));

    // Too long: the record keeps the first 100 characters.
    state.Cadena_Modem = std::string(60, 'A') + std::string(60, 'B');
    ASSERT_TRUE(modem->Guardar_Cadena_Modem(1));
    EXPECT_EQ(at_file(), std::string(60, 'A') + std::string(40, 'B'));

    // Record 2 lies after record 1, which stays as it was.
    state.Cadena_Modem = "second";
    ASSERT_TRUE(modem->Guardar_Cadena_Modem(2));
    EXPECT_EQ(at_file(), std::string(60, 'A') + std::string(40, 'B') + "second" + std::string(94, ' '));
    ASSERT_TRUE(modem->Leer_Cadena_Modem(1));
    EXPECT_EQ(state.Cadena_Modem, std::string(60, 'A') + std::string(40, 'B'));
    EXPECT_FALSE(modem->Leer_Cadena_Modem(0));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder()), {}), 1);  // no temporary file left

    // A short file changes nothing.
    write_file(tmp.path("AT"), "ATZ");
    state.Cadena_Modem = "kept";
    EXPECT_FALSE(modem->Leer_Cadena_Modem(1));
    EXPECT_EQ(state.Cadena_Modem, "kept");

    // A folder that cannot be made (a file stands in its way): the save fails.
    write_file(tmp.path("blocker"), "x");
    Lectura_Escritura nowhere(state, port, clock, messages, [] {}, tmp.path("blocker/deeper"));
    state.Cadena_Modem = "ATZ";
    EXPECT_FALSE(nowhere.Guardar_Cadena_Modem(1));
    EXPECT_EQ(nowhere.save_error(), "its folder " + tmp.path("blocker/deeper") + " cannot be created");
}

TEST_F(PersonalString, OldStringIsReadUntilOneIsKeptInTheConfigurationFolder) {
    const std::string config = tmp.path("config/neva-setup");
    write_file(tmp.path("AT"), "ATS0=1" + std::string(94, ' '));  // left by an earlier version in its working folder
    Lectura_Escritura moved(state, port, clock, messages, [] {}, config, folder());
    ASSERT_TRUE(moved.Leer_Cadena_Modem(1));
    EXPECT_EQ(state.Cadena_Modem, "ATS0=1" + std::string(94, ' '));

    // The first save creates the folder and leaves the old file as it was.
    state.Cadena_Modem = "AT&C1";
    ASSERT_TRUE(moved.Guardar_Cadena_Modem(1));
    EXPECT_EQ(at_file(), "ATS0=1" + std::string(94, ' '));
    ASSERT_TRUE(moved.Leer_Cadena_Modem(1));
    EXPECT_EQ(state.Cadena_Modem, "AT&C1" + std::string(95, ' '));  // from the new file: the old one still has ATS0=1
}

}  // namespace
}  // namespace neva::testing
