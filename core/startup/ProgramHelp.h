#pragma once
// What `neva-setup --help` and `neva-setup --version` print. They answer before any
// window or display is needed, so that a terminal, a package build (man pages are
// made from this text) or a script can ask the program what it is.

#include <optional>
#include <string>
#include <vector>

namespace neva {

class ProgramHelp {
public:
    // The text to print for a command line that asks for information: exactly one
    // argument, "--help" (or "-h") or "--version". Every other command line is a start
    // of the program (nothing, or the launcher's "9600,N,8,1 1 1"): nullopt.
    static std::optional<std::string> information_request(const std::vector<std::string>& args);

    static std::string help_text();
    static std::string version_text();
};

}  // namespace neva
