# neva_add_sim_bench(NAME SOURCES ... LIBRARIES ...): a benchmark program that runs
# against the relay simulator. It reuses the tests' simulator launcher and the
# line recorder of bench/ (compiled in, so a benchmark also builds when the tests
# are switched off), lands in bin/ beside the programs, and is built after the
# simulator it starts.
function(neva_add_sim_bench name)
  cmake_parse_arguments(PARSE_ARGV 1 BENCH "" "" "SOURCES;LIBRARIES")
  add_executable(${name} ${BENCH_SOURCES}
    ${PROJECT_SOURCE_DIR}/bench/RecordingPort.cpp
    ${PROJECT_SOURCE_DIR}/tests/support/SimProcess.cpp ${PROJECT_SOURCE_DIR}/tests/support/RunUntil.cpp)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/bench ${PROJECT_SOURCE_DIR}/tests/support)
  target_link_libraries(${name} PRIVATE ${BENCH_LIBRARIES})
  target_compile_definitions(${name} PRIVATE
    NEVA_RELAY_SIM_BIN="${CMAKE_BINARY_DIR}/bin/neva-relay-sim"
    NEVA_MODEM_SIM_BIN="${CMAKE_BINARY_DIR}/bin/neva-modem-sim")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  if(TARGET neva-relay-sim)
    add_dependencies(${name} neva-relay-sim)
  endif()
endfunction()
