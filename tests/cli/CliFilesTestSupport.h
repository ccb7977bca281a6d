#pragma once
// Setpoint files for the tool's tests, written and read by the program's own file
// routines, and small helpers on their setpoint images.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "files/Registro_Archivo.h"
#include "image/RegisterImages.h"
#include "testing/SetpointWords.h"
#include "testing/TempDir.h"

namespace neva::cli::testing {

using neva::testing::put_word;
using neva::testing::TempDir;
using neva::testing::word;

struct FileHeader {
    std::string programmer = "J. Tester";
    std::string relay_name = "Feeder 7";
    std::string observations = "Spare bay";
    std::string version = "1.03";
};

// Writes a setpoint file holding `setpoints`, saved on 6 December 2026 at 12:00:00.
void write_setpoint_file(const std::string& path, const SetpointImage& setpoints, const FileHeader& header = {});
// The record of a setpoint file; fails the test when it cannot be read.
Registro_Archivo read_record(const std::string& path);
// The factory setpoint file the build writes beside the program.
SetpointImage factory_setpoints();
// A copy of the file at `from` with registers changed, saved to `to`.
void write_modified_copy(const std::string& from, const std::string& to,
                         std::initializer_list<std::pair<const char*, std::uint16_t>> changes);

}  // namespace neva::cli::testing
