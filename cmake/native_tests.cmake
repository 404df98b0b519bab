# Native unit tests and benchmarks of the portable core.
option(PARLOWEN_SANITIZE "Build the core and its tests with ASan and UBSan" ON)
if(PARLOWEN_SANITIZE AND NOT MSVC)
  set(sanitizers -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_compile_options(parlowen_core PUBLIC ${sanitizers})
  target_link_options(parlowen_core PUBLIC ${sanitizers})
endif()

find_package(GTest REQUIRED)
enable_testing()
include(GoogleTest)

add_executable(unit_tests
  tests/unit/capture_tick_test.cpp
  tests/unit/chat_text_test.cpp
  tests/unit/chat_tracking_test.cpp
  tests/unit/message_log_test.cpp
  tests/unit/error_report_test.cpp
  tests/unit/get_path_test.cpp
  tests/unit/ini_text_test.cpp
  tests/unit/settings_test.cpp
  tests/unit/voice_profiles_test.cpp
)
target_link_libraries(unit_tests PRIVATE parlowen_core GTest::gtest_main)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60)

# Benchmarks print their figures; they are built with the tests but never run as tests.
# They link an optimised copy of the core without sanitizers, so the figures are real.
find_package(benchmark REQUIRED)
add_library(parlowen_core_optimised STATIC ${PARLOWEN_CORE_SOURCES})
target_include_directories(parlowen_core_optimised PUBLIC src)
target_compile_options(parlowen_core_optimised PRIVATE -O2)

add_executable(chat_text_bench bench/chat_text_bench.cpp)
target_compile_options(chat_text_bench PRIVATE -O2)
target_link_libraries(chat_text_bench PRIVATE parlowen_core_optimised benchmark::benchmark)

add_executable(capture_tick_bench bench/capture_tick_bench.cpp)
target_compile_options(capture_tick_bench PRIVATE -O2)
target_link_libraries(capture_tick_bench PRIVATE parlowen_core_optimised benchmark::benchmark)
