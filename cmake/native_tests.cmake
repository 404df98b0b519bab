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
  tests/unit/simulated_messenger_test.cpp
  tests/unit/chat_text_test.cpp
  tests/unit/chat_tracking_test.cpp
  tests/unit/log_file_format_test.cpp
  tests/unit/history_tail_test.cpp
  tests/unit/remote_block_test.cpp
  tests/unit/request_layout_test.cpp
  tests/unit/speakable_text_test.cpp
  tests/unit/spoken_form_test.cpp
  tests/unit/member_voices_test.cpp
  tests/unit/hotkeys_test.cpp
  tests/unit/start_back_off_test.cpp
  tests/unit/message_log_test.cpp
  tests/unit/error_report_test.cpp
  tests/unit/extended_tick_count_test.cpp
  tests/unit/file_replacement_test.cpp
  tests/unit/espeak_settings_test.cpp
  tests/unit/ansi_path_test.cpp
  tests/unit/settings_test.cpp
  tests/unit/startup_shortcut_test.cpp
  tests/unit/text_test.cpp
  tests/unit/voice_profiles_test.cpp
  tests/unit/voice_tokens_test.cpp
  tests/unit/voice_protocol_test.cpp
  tests/unit/wav_export_test.cpp
  tests/unit/xdg_autostart_test.cpp
)
target_link_libraries(unit_tests PRIVATE parlowen_core GTest::gtest_main)
# The simulated messenger plays over 100,000 messages: its own code is built optimised,
# so that the time goes to the capture it judges.
if(NOT MSVC)
  set_source_files_properties(tests/unit/simulated_messenger_test.cpp PROPERTIES COMPILE_OPTIONS -O2)
endif()
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60)

# Benchmarks print their figures; they are built by the "bench" preset and run by hand,
# never as tests. That build has no sanitizers, so the figures are real.
option(PARLOWEN_BENCHMARKS "Build the benchmarks (needs Google Benchmark)" OFF)
if(PARLOWEN_BENCHMARKS)
  find_package(benchmark REQUIRED)
  foreach(bench chat_text_bench capture_tick_bench group_chat_bench spoken_form_bench)
    add_executable(${bench} bench/${bench}.cpp)
    target_link_libraries(${bench} PRIVATE parlowen_core benchmark::benchmark)
  endforeach()
  # What a long paste is heard for with eSpeak NG (Debian's libespeak-ng-dev).
  add_executable(long_paste_bench bench/long_paste_bench.cpp)
  target_link_libraries(long_paste_bench PRIVATE parlowen_core espeak-ng)
endif()
