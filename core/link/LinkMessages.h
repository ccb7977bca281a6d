#pragma once
// The words the link uses when a setpoint write did not end as the user meant, and
// when the relay on the line is not one this program supports. Setpoints are named
// as their pages name them (the register map), with the values as the pages show
// them, so the engineer can compare with what was typed.

#include <string>
#include <vector>

#include "image/RegisterImages.h"
#include "link/SetpointWrites.h"
#include "regmap/RegisterMap.h"

namespace neva {

inline constexpr const char* kSavedToRelay = "Setpoints were Saved to the Relay memory";
inline constexpr const char* kErrorSendingFile = "Error sending File to Relay";

// The relay this program talks to: identification words 12 and 2, firmware
// version words 103 (1.03) up to 199 (1.99).
inline constexpr unsigned kRelayModel = 12, kRelayVariant = 2;
inline constexpr unsigned kFirmwareFirst = 103, kFirmwareLast = 199;
inline bool supported_relay(unsigned w0, unsigned w1, unsigned w2) {
    return w0 == kRelayModel && w1 == kRelayVariant && w2 >= kFirmwareFirst && w2 <= kFirmwareLast;
}
// A firmware version word as the relay's version: 103 -> "1.03", 200 -> "2.00".
std::string firmware_version_text(unsigned w2);
// Why an identified device is refused: the version found and the versions supported.
std::string unsupported_relay_text(unsigned w0, unsigned w1, unsigned w2);

// The pages of a block: "Phase and Ground Protections".
std::string block_pages(const RegisterMap& map, int block);
// One line for every setpoint of the block whose field differs between what was
// sent and what the relay holds: "Phase CT Rating Primary: sent 550 A, relay holds
// 540 A". Bytes no visible setpoint shows are named by register.
std::vector<std::string> block_differences(const RegisterMap& map, int block, const SetpointImage& sent,
                                           const SetpointImage& held);
// The message after a page's write of one block ended other than verified.
std::string write_failure_text(const RegisterMap& map, int block, const BlockWrite& write);
// The message after a group (a setpoint file) ended before every block was read back
// identical: "Error sending File to Relay", then what the relay now holds, block by
// block, and why.
std::string group_failure_text(const RegisterMap& map, const SetpointWrites& writes);

}  // namespace neva
