#include "ModemFixture.h"

namespace neva::testing {
namespace {

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

TEST_F(PersonalString, OkWithoutLineStartDoesNotEndAWait) {
    port.answer = [](const std::string& w) -> std::string {
        if (w == "ATV1E0\r") return "OK";
        if (w == "+++" || w == "\r") return "";
        return "\r\nOK\r\n";
    };
    messages.expect_input("Enter the New string initialization", std::string("ATM0"));
    messages.expect_message("Please Connect the Modem to COM1", MsgAnswer::Ok);
    messages.expect_message("Modem Has Been Programed");
    modem->Modem_Click(Lectura_Escritura::kPersonalString, 3, 0, "COM1");
    ASSERT_EQ(port.texts(), with_last("ATM0\r"));
    EXPECT_GT(port.sent[1].at_ms - port.sent[0].at_ms, 10000 + 1000);
    // A proper answer ends the step as soon as it is in.
    EXPECT_LT(port.sent[4].at_ms - port.sent[3].at_ms, 1000);
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
    EXPECT_FALSE(std::filesystem::exists(tmp.path("AT.tmp")));

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
    EXPECT_EQ(state.Cadena_Modem, "AT&C1" + std::string(95, ' '));
    EXPECT_TRUE(std::filesystem::is_regular_file(config + "/AT"));
}

}  // namespace
}  // namespace neva::testing
