# Additions to the Qt layer's build that live outside app/: the benchmark programs.
add_subdirectory(${CMAKE_SOURCE_DIR}/bench ${CMAKE_BINARY_DIR}/bench)

# --- The factory setpoint file beside the program -----------------------------------
# Default.NEVA2 is written at build time by the program's own save routine, so the
# file neva-setup loads at start is always one this version reads back.
add_executable(neva-make-default ${CMAKE_CURRENT_SOURCE_DIR}/defaults/neva_make_default.cpp)
target_link_libraries(neva-make-default PRIVATE neva_core)
set(NEVA_DEFAULT_FILE ${CMAKE_BINARY_DIR}/bin/Default.NEVA2)
add_custom_command(
  OUTPUT ${NEVA_DEFAULT_FILE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/bin
  COMMAND neva-make-default ${NEVA_DEFAULT_FILE}
  DEPENDS neva-make-default
  COMMENT "Writing the factory setpoint file Default.NEVA2"
  VERBATIM)
add_custom_target(neva_default_file ALL DEPENDS ${NEVA_DEFAULT_FILE})
if(TARGET neva-setup)
  add_dependencies(neva-setup neva_default_file)
endif()
