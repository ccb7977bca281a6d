#include "startup/ProgramFolders.h"

#include <filesystem>
#include <system_error>

#include "startup/Arranque.h"

#ifndef NEVA_DATA_FROM_BIN
#define NEVA_DATA_FROM_BIN "../share/neva-setup"
#endif

namespace neva {

namespace fs = std::filesystem;

namespace {

constexpr const char* kDefaultFile = "Default.NEVA2";

std::string native(const fs::path& p) { return p.lexically_normal().make_preferred().string(); }

// The program's folder under the Windows folder `windows_var` names, else under
// $`xdg_var`, else under $HOME/`home_sub`. Only absolute paths count, as the XDG
// rules require; empty when the environment names no such place.
std::string user_folder(const Environment& env, const char* windows_var, const char* xdg_var, const char* home_sub) {
    auto absolute = [](const std::optional<std::string>& v) {
        return v && !v->empty() && fs::path(*v).is_absolute();
    };
#ifdef _WIN32
    (void)xdg_var;
    (void)home_sub;
    if (auto folder = env(windows_var); absolute(folder)) return native(fs::path(*folder) / "NEVA Setup");
#else
    (void)windows_var;
    if (auto xdg = env(xdg_var); absolute(xdg)) return native(fs::path(*xdg) / "neva-setup");
    if (auto home = env("HOME"); absolute(home)) return native(fs::path(*home) / home_sub / "neva-setup");
#endif
    return {};
}

}  // namespace

std::string ProgramFolders::installed_data_relative() { return NEVA_DATA_FROM_BIN; }

std::vector<std::string> ProgramFolders::data_folders(std::string_view program_dir) {
    std::vector<std::string> out;
    out.push_back(Arranque::sin_separador_final(program_dir));
    if (!program_dir.empty()) {
        const std::string installed =
            Arranque::sin_separador_final(native(fs::path(std::string(program_dir)) / installed_data_relative()));
        if (installed != out.front()) out.push_back(installed);
    }
    return out;
}

std::string ProgramFolders::default_file(std::string_view program_dir) {
    for (const auto& folder : data_folders(program_dir)) {
        const std::string candidate = Arranque::ruta_archivo_defecto(folder);
        std::error_code ec;
        if (fs::is_regular_file(candidate, ec)) return candidate;
    }
    return Arranque::ruta_archivo_defecto(program_dir);
}

std::string ProgramFolders::guide_file(std::string_view program_dir, std::string_view fallback) {
    std::error_code ec;
    for (const auto& folder : data_folders(program_dir)) {
        const fs::path candidate = fs::path(folder) / "guide" / "index.html";
        if (fs::is_regular_file(candidate, ec)) return native(candidate);
    }
    if (!fallback.empty() && fs::is_regular_file(fs::path(std::string(fallback)), ec))
        return native(fs::path(std::string(fallback)));
    return {};
}

std::string ProgramFolders::config_folder(const Environment& env) {
    return user_folder(env, "APPDATA", "XDG_CONFIG_HOME", ".config");
}

std::string ProgramFolders::user_data_folder(const Environment& env) {
    return user_folder(env, "LOCALAPPDATA", "XDG_DATA_HOME", ".local/share");
}

}  // namespace neva
