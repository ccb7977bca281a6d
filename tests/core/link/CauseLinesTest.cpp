// The second line of the link's and the file loader's refusals: what failed, on which
// line or file, and what to check. The first line stays the program's own message.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "LinkTestRig.h"
#include "files/Manejo_de_Archivos.h"

using namespace neva;
using namespace neva::linktest;

TEST(CauseLines, CommunicationErrorNamesTheFaultAndTheLine) {
    const std::string line = "\nCOM 1 (/dev/ttyUSB0), 9600 baud, relay address 17";
    struct Case {
        Bytes answer;
        std::string cause;
    };
    const Case cases[] = {
        {Bytes(17, 0x55), "answers with a bad CRC: check the speed and parity"},
        {with_crc({9, 4, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), "answers come from slave address 9: check the relay's address"},
    };
    for (const Case& c : cases) {
        Rig r;
        r.port.device = "/dev/ttyUSB0";
        r.connect_and_settle();
        r.messages.expect_message(" Communication Error...\n" + c.cause + line, "Communication Error",
                                  MsgButtons::Ok, MsgIcon::Critical);
        for (int i = 0; i < 25 && r.disconnects == 0; ++i, r.clock.advance_ms(1000)) r.deliver(c.answer);
        EXPECT_EQ(r.disconnects, 1) << c.cause;
        r.messages.verify();
    }
}

TEST(CauseLines, APortThatDoesNotOpenNamesItsDeviceAndTheReason) {
    Rig r;
    r.port.fail_open = true;
    r.port.device = "/dev/ttyS1";
    r.port.failure = "permission denied (your user must be in the group dialout: ...)";
    r.messages.expect_message("Invalid Number Port: COM 2\nDevice /dev/ttyS1: " + r.port.failure,
                              "Communication error", MsgButtons::Ok, MsgIcon::Critical);
    EXPECT_FALSE(r.link.Conectar(2, 9600, 1));
}

TEST(CauseLines, AForeignFileSaysWhichFileAndWhy) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(::testing::TempDir()) /
                         ("neva-causes-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(dir);
    const std::string shorter = (dir / "short.NEVA2").string(), foreign = (dir / "foreign.NEVA2").string();
    std::ofstream(shorter, std::ios::binary) << "NEVA2";
    std::ofstream(foreign, std::ios::binary) << std::string(kRecordSize, 'x');
    SharedState state;
    RegisterImages images;
    neva::testing::ScriptedMessages msgs;
    neva::testing::FakeClock clock;
    Manejo_de_Archivos files(state, images, msgs, clock);
    msgs.expect_message("It isn't NEVA File\n" + shorter + ": too short (5 bytes; a setpoint file has " +
                        std::to_string(kRecordSize) + ")");
    msgs.expect_message("It isn't NEVA File\n" + foreign +
                        ": it does not carry the setpoint file marker \"NEVA2\" (another kind of file, or a damaged one)");
    msgs.expect_message("It isn't NEVA File\n" + (dir / "none.NEVA2").string() + ": the file does not exist");
    EXPECT_FALSE(files.Leer_Archivo(shorter).loaded);
    EXPECT_FALSE(files.Leer_Archivo(foreign).loaded);
    EXPECT_FALSE(files.Leer_Archivo((dir / "none.NEVA2").string()).loaded);
    fs::remove_all(dir);
}
