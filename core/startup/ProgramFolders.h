#pragma once
// Where the program finds its read-only data and where it keeps what it writes for
// itself. An installed program lives in a folder the user may not write to
// (/usr/bin, C:\Program Files\...), and a program started from the desktop menu has
// the home folder as its current directory, so neither is a place for the modem
// string: that goes to the user's configuration folder.

#include <string>
#include <string_view>
#include <vector>

#include "platform/Environment.h"

namespace neva {

class ProgramFolders {
public:
    // The data folder of an installed program, relative to the folder of the program
    // file (prefix/bin -> prefix/share/neva-setup), from the build's install layout.
    static std::string installed_data_relative();

    // The folders searched for read-only data, in order: the program's own folder
    // (a build tree, an unpacked folder, a Windows install), then the installed data
    // folder. Never written to.
    static std::vector<std::string> data_folders(std::string_view program_dir);

    // The factory setpoint file: the first "Default.NEVA2" of data_folders(); when
    // there is none, the path beside the program, so that the failed load names it.
    static std::string default_file(std::string_view program_dir);

    // The user guide's first page: "guide/index.html" in the first of data_folders()
    // that has it, else `fallback` (the guide in the source tree of a build) when that
    // file exists; empty when there is none.
    static std::string guide_file(std::string_view program_dir, std::string_view fallback = {});

    // The user's configuration folder for this program: $XDG_CONFIG_HOME/neva-setup,
    // else $HOME/.config/neva-setup (%APPDATA%\NEVA Setup on Windows). Empty when the
    // environment names no such place; a relative XDG_CONFIG_HOME is ignored, as the
    // XDG rules require.
    static std::string config_folder(const Environment& env = system_environment);
    // The user's data folder for this program, where the settings history is kept:
    // $XDG_DATA_HOME/neva-setup, else $HOME/.local/share/neva-setup (%LOCALAPPDATA%\NEVA
    // Setup on Windows), by the same rules.
    static std::string user_data_folder(const Environment& env = system_environment);
};

}  // namespace neva
