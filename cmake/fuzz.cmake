# libFuzzer targets of the portable core, built by scripts/fuzz.sh with clang (the "fuzz"
# preset), never by the default build.
set(fuzz_flags -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_library(parlowen_core_fuzz STATIC ${PARLOWEN_CORE_SOURCES})
target_include_directories(parlowen_core_fuzz PUBLIC src tests/unit)
target_compile_options(parlowen_core_fuzz PUBLIC -fsanitize=fuzzer-no-link,address,undefined -g)
foreach(target chat_text settings message_log capture_tick history_tail simulated_messenger spoken_form)
  add_executable(${target}_fuzz tests/fuzz/${target}_fuzz.cpp)
  target_compile_options(${target}_fuzz PRIVATE ${fuzz_flags} -g)
  target_link_options(${target}_fuzz PRIVATE ${fuzz_flags})
  target_link_libraries(${target}_fuzz PRIVATE parlowen_core_fuzz)
endforeach()
