// The link with arbitrary bytes as the relay's answers. The input is one byte for
// the relay address, one byte of set-up (bit 0: empty the start-up queue, so that
// the first request queued is the next one sent) and then operations, one byte of
// code each with their arguments, played on the link controller with a fake port
// and fake timers: queue a request, answer (as given, or with its CRC appended),
// let a second pass, send a file, print events, lose the port, decode a block...
//
// Besides crashes and undefined behaviour it checks what the link promises: an
// answer with a wrong CRC or for another relay never changes the stored setpoints
// or the actual values.

#include <cstdint>
#include <vector>

#include "FuzzSupport.h"
#include "link/BasicCRC.h"
#include "link/LinkController.h"
#include "testing/FakeClock.h"
#include "testing/FakePort.h"
#include "testing/FakeTimer.h"

namespace {

using namespace neva;
using Bytes = std::vector<std::uint8_t>;

// The CRC computed bit by bit, apart from the link's own table-driven one.
std::uint16_t reference_crc(const Bytes& b, std::size_t n) {
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= b[i];
        for (int k = 0; k < 8; ++k) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return crc;
}

bool whole_and_ours(const Bytes& b, std::uint8_t address) {
    if (b.size() < 4 || b[0] != address) return false;
    const std::uint16_t crc = reference_crc(b, b.size() - 2);
    return b[b.size() - 2] == (crc & 0xFF) && b[b.size() - 1] == (crc >> 8);
}

enum Op : std::uint8_t {
    kQueue, kAnswer, kAnswerWithCrc, kTick, kTickCom, kStatus, kFileSend, kPrint, kTickInBox,
    kPullOut, kConnect, kDisconnect, kEmptyQueues, kDecode, kSetClock, kOpCount
};

struct Rig {
    SharedState state;
    RegisterImages images;
    testing::FakePort port;
    testing::FakeTimerFactory timers;
    fuzz::AnsweringMessages messages;
    testing::FakeClock clock;
    LinkController link{state, images, port, timers, messages, clock};
    std::uint8_t address = 1;
    std::size_t drained = 0;
    int completions = 0;

    testing::FakeTimer& timer(Timer& t) { return static_cast<testing::FakeTimer&>(t); }

    Rig() {
        auto inner = link.NEVA().ComunicacionFinalizada;
        link.NEVA().ComunicacionFinalizada = [this, inner](bool ok) {
            ++completions;
            inner(ok);
        };
    }

    void answer(const Bytes& bytes) {
        // The port reports the frame as sent before its answer comes.
        if (port.written.size() > drained) {
            drained = port.written.size();
            port.drain();
        }
        const SetpointImage stored = images.Imagen_Setpoints;
        const AvImage av = images.Imagen_AV;
        const int before = completions;
        port.deliver(bytes);
        timer(link.TmrRetardoCom()).fire();
        const Bytes& parsed = link.NEVA().Respuesta();
        if (completions != before && !whole_and_ours(parsed, static_cast<std::uint8_t>(link.NEVA().Direccion))) {
            NEVA_FUZZ_CHECK(images.Imagen_Setpoints == stored);
            NEVA_FUZZ_CHECK(images.Imagen_AV == av);
        }
    }

    void play(fuzz::Input& in) {
        const std::uint8_t op = in.byte() % kOpCount;
        switch (op) {
            case kQueue: {
                const int channel = in.byte() % 4;
                link.Encolar_Proceso(channel, in.byte());
                link.Despachar_Proceso();
                break;
            }
            case kAnswer:
            case kAnswerWithCrc: {
                const auto text = in.bytes(in.byte());
                Bytes b(text.begin(), text.end());
                if (op == kAnswerWithCrc) {
                    const std::uint16_t crc = reference_crc(b, b.size());
                    b.push_back(crc & 0xFF);
                    b.push_back(crc >> 8);
                }
                answer(b);
                break;
            }
            case kTick: timer(link.Timer1()).fire(); break;
            case kTickCom: timer(link.Timer_Comunicacion()).fire(); break;
            case kStatus: link.status_tick(); break;
            case kFileSend: link.start_file_send(address); break;
            case kPrint: link.Imprimir_Eventos(); break;
            case kTickInBox: messages.during_box = [this] { timer(link.Timer1()).fire(); }; break;
            case kPullOut: port.pull_out(); break;
            case kConnect: link.Conectar(1, 9600, address); break;
            case kDisconnect: link.Desconectar(); break;
            case kEmptyQueues: link.Iniciar_Colas(); break;
            case kDecode: {
                // What the pages do with the stored answers.
                std::int32_t block = in.byte() % 7;
                link.NEVA().Devuelve_Datos(block);
                break;
            }
            case kSetClock: {
                const int day = in.byte(), month = in.byte(), year = 2000 + in.byte();
                const int hour = in.byte(), minute = in.byte(), second = in.byte();
                link.NEVA().Date_Time(day, month, year, hour, minute, second);
                break;
            }
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Iniciar_Tablas_CRC();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    Rig rig;
    rig.address = in.byte();
    const std::uint8_t setup = in.byte();
    rig.link.Conectar(1, 9600, rig.address);
    if (setup & 1) rig.link.Iniciar_Colas();
    while (!in.empty()) rig.play(in);
    return 0;
}
