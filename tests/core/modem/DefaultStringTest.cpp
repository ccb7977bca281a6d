#include "ModemFixture.h"

namespace neva::testing {
namespace {

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

TEST_F(DefaultString, SecondPressDuringARunIsIgnored) {
    port.answer = echoing_modem("0");
    Lectura_Escritura* self = nullptr;
    int presses = 0;
    Lectura_Escritura twice(state, port, clock, messages,
                            [&] {
                                if (presses++ == 3) self->Modem_Click(Lectura_Escritura::kDefaultString, 0, 0, "COM1");
                                clock.advance_ms(20);
                                port.run();
                            },
                            folder());
    self = &twice;
    messages.expect_message("Please Connect the Modem to COM2", MsgAnswer::Ok);
    messages.expect_message("Modem Has Been Programed");
    twice.Modem_Click(Lectura_Escritura::kDefaultString, 1, 1, "COM2");
    EXPECT_EQ(port.texts(), (std::vector<std::string>{"AT&F\r", kSecond}));
    expect_link_port_back();
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
    EXPECT_EQ(L::result_code("ATE0 V0\r"), std::nullopt);
}

}  // namespace
}  // namespace neva::testing
