# Turns the register map text into a C++ string constant.
file(READ ${IN} CONTENT)
set(DELIM "NEVAMAP")
file(WRITE ${OUT} "// Generated from register_map.txt; do not edit.\n#include <string_view>\nnamespace neva { extern const std::string_view kRegisterMapText; const std::string_view kRegisterMapText = R\"${DELIM}(${CONTENT})${DELIM}\"; }\n")
