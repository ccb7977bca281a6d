// The start-up command line another program starts neva-setup with, arbitrary text.
// Besides crashes it checks that a line is either settings the connection dialog
// can use (an offered speed, port 1 to 8, address 1 to 247) or a message.

#include <algorithm>
#include <iterator>
#include <string>

#include "FuzzSupport.h"
#include "startup/Arranque.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using neva::Arranque;
    const std::string line(reinterpret_cast<const char*>(data), size);
    const auto r = Arranque::interpretar(line);
    if (!r) {
        NEVA_FUZZ_CHECK(line.find_first_not_of(" \t\r\n") == std::string::npos);
        return 0;
    }
    NEVA_FUZZ_CHECK(r->linea.has_value() != !r->error.empty());
    if (!r->linea) return 0;
    const auto& l = *r->linea;
    NEVA_FUZZ_CHECK(std::find(std::begin(Arranque::kVelocidades), std::end(Arranque::kVelocidades), l.velocidad) !=
                    std::end(Arranque::kVelocidades));
    NEVA_FUZZ_CHECK(l.puerto >= Arranque::kPuertoMin && l.puerto <= Arranque::kPuertoMax);
    NEVA_FUZZ_CHECK(l.direccion >= Arranque::kDireccionMin && l.direccion <= Arranque::kDireccionMax);
    return 0;
}
