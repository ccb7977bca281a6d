#pragma once
// Reading the process environment through a function, so that the decisions that
// depend on it (port devices, the configuration folder) can be tested with any
// environment, also one that sets nothing.

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

namespace neva {

// The value of one variable; nullopt when it is not set.
using Environment = std::function<std::optional<std::string>(const char* name)>;

inline std::optional<std::string> system_environment(const char* name) {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return std::string(value);
}

}  // namespace neva
