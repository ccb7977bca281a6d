// The NEVA2 file loader with arbitrary bytes as the file: the program's own load,
// then, for a file it takes, a save and a second load, and neva-cli's show (text
// and JSON) and diff of the two files.
//
// Besides crashes it checks what the file handling promises: a refused file
// changes nothing; a loaded file's setpoints are exactly its bytes; what is saved
// loads back the same; show writes valid UTF-8 and diff finds no difference
// between a file and its re-save.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "FileCommands.h"
#include "FuzzSupport.h"
#include "files/Manejo_de_Archivos.h"
#include "testing/FakeClock.h"

namespace {

using namespace neva;
namespace fs = std::filesystem;

fs::path g_dir;

void remove_dir() {
    std::error_code ec;
    fs::remove_all(g_dir, ec);
}

bool valid_utf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        if (n == 0 || i + n > s.size() || (n == 2 && c < 0xC2)) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

struct Program {
    SharedState state;
    RegisterImages images;
    fuzz::AnsweringMessages messages;
    testing::FakeClock clock;
    Manejo_de_Archivos files{state, images, messages, clock};
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_dir = fs::temp_directory_path() / ("neva-fuzz-file-" + std::to_string(::getpid()));
    fs::create_directories(g_dir);
    std::atexit(remove_dir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = (g_dir / "input.NEVA2").string();
    const std::string saved = (g_dir / "saved.NEVA2").string();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

    Program p;
    p.images.Imagen_Setpoints.fill(0xA5);
    p.images.Imagen_Edicion.fill(0x5A);
    p.state.Nombre_Rele = "before";
    const RegisterImages before = p.images;
    const LoadResult r = p.files.Leer_Archivo(path);
    if (!r.loaded) {
        NEVA_FUZZ_CHECK(p.images.Imagen_Setpoints == before.Imagen_Setpoints);
        NEVA_FUZZ_CHECK(p.images.Imagen_Edicion == before.Imagen_Edicion);
        NEVA_FUZZ_CHECK(p.images.Imagen_AV == before.Imagen_AV);
        NEVA_FUZZ_CHECK(p.state.Nombre_Rele.str() == FixedText<20>("before").str());
        NEVA_FUZZ_CHECK(p.messages.boxes == 1);
        return 0;
    }
    NEVA_FUZZ_CHECK(size >= kRecordSize);
    NEVA_FUZZ_CHECK(std::equal(p.images.Imagen_Edicion.begin(), p.images.Imagen_Edicion.end(), data + kOffsetSetpoints));
    NEVA_FUZZ_CHECK(p.images.Imagen_Setpoints == p.images.Imagen_Edicion);

    // Saved and loaded again, the file is the same to the program.
    NEVA_FUZZ_CHECK(p.files.Guardar_Archivo(saved, [&](int position) {
        return p.state.Eventos_Guardados[position - Manejo_de_Archivos::kFirstEventPosition + 1];
    }));
    Program q;
    NEVA_FUZZ_CHECK(q.files.Leer_Archivo(saved).loaded);
    NEVA_FUZZ_CHECK(q.images.Imagen_Edicion == p.images.Imagen_Edicion);
    NEVA_FUZZ_CHECK(q.images.Imagen_AV == p.images.Imagen_AV);
    NEVA_FUZZ_CHECK(q.state.Nombre_Rele.str() == p.state.Nombre_Rele.str());
    NEVA_FUZZ_CHECK(q.state.Observaciones.str() == p.state.Observaciones.str());
    NEVA_FUZZ_CHECK(q.state.Programador.str() == p.state.Programador.str());
    NEVA_FUZZ_CHECK(q.state.Eventos_Guardados == p.state.Eventos_Guardados);

    cli::CliOptions show;
    show.operands = {path};
    for (bool json : {false, true}) {
        show.json = json;
        std::ostringstream out, err;
        NEVA_FUZZ_CHECK(cli::run_show(show, out, err) == cli::kExitOk);
        NEVA_FUZZ_CHECK(!json || valid_utf8(out.str()));
    }
    cli::CliOptions diff;
    diff.operands = {path, saved};
    std::ostringstream out, err;
    NEVA_FUZZ_CHECK(cli::run_diff(diff, out, err) == cli::kExitOk);
    return 0;
}
