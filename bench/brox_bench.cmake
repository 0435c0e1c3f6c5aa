# What brox adds to starting the Java runtime: brox_bench [runs]
add_executable(brox_bench_java brox_bench_java.cpp)
korvane_project_target(brox_bench_java)

add_executable(brox_bench_bare brox_bench_bare.cpp)
korvane_project_target(brox_bench_bare)

add_executable(brox_bench brox_bench.cpp)
korvane_project_target(brox_bench)
korvane_wide_entry(brox_bench)
file(RELATIVE_PATH brox_from_bench "${CMAKE_CURRENT_BINARY_DIR}" "${KORVANE_APP_DIR}/api/brox.exe")
target_compile_definitions(brox_bench PRIVATE BROX_EXE_FROM_BENCH="${brox_from_bench}"
                           JAVA_STAND_IN="$<TARGET_FILE_NAME:brox_bench_java>"
                           BARE_LAUNCHER="$<TARGET_FILE_NAME:brox_bench_bare>")
add_dependencies(brox_bench brox brox_bench_java brox_bench_bare)
