#pragma once
// A program state with the link's port open on COM3 at 19200, a scripted modem on
// the far end of whatever port the programming opens, a fake clock that the event
// pump and the blocking pauses move, and a folder of its own for the file "AT".

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>

#include "FakeModemPort.h"
#include "modem/Lectura_Escritura.h"
#include "testing/FakeClock.h"
#include "testing/ScriptedMessages.h"

namespace neva::testing {

// Also keeps the default text each input box offered.
class RecordingMessages : public ScriptedMessages {
public:
    std::vector<std::string> input_defaults;
    std::optional<std::string> input_box(const std::string& prompt, const std::string& title,
                                         const std::string& default_text) override {
        input_defaults.push_back(default_text);
        return ScriptedMessages::input_box(prompt, title, default_text);
    }
};

class ModemFixture : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("neva-modem-" + std::to_string(std::random_device{}()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);

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
                ++pumps;
                clock.advance_ms(20);
                port.run();
            },
            folder.string());
        modem->set_sleep([this](int ms) { clock.advance_ms(ms); });
    }

    void TearDown() override {
        messages.verify();
        std::filesystem::remove_all(folder);
    }

    std::string at_file() const {
        std::ifstream in(folder / "AT", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void write_at_file(const std::string& content) const {
        std::ofstream out(folder / "AT", std::ios::binary | std::ios::trunc);
        out << content;
    }

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

    std::filesystem::path folder;
    SharedState state;
    FakeClock clock;
    FakeModemPort port{clock};
    RecordingMessages messages;
    std::unique_ptr<Lectura_Escritura> modem;
    int pumps = 0;
    int link_events = 0;
    int link_lost = 0;
};

}  // namespace neva::testing
