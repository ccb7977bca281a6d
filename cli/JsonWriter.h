#pragma once
// The JSON writer is the program's own (text/JsonWriter.h): the exports of the
// desktop program write the same JSON as the tool.

#include "text/JsonWriter.h"

namespace neva::cli {
using neva::JsonWriter;
}  // namespace neva::cli
