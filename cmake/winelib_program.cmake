# Included by the Winelib projects that windows.cmake builds (the voice process, the
# sound latency benchmark's listener): C++20 as in the program, and their .exe.so put
# beside the Windows programs.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
add_compile_options(-Wall -Wextra)

# wineg++ writes <output>.so and a shell launcher <output>. Only the .exe.so goes to
# PARLOWEN_PROGRAM_DIR: CreateProcess would run the launcher as a Unix program, without
# a process handle or pipes.
function(parlowen_winelib_output target output)
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${output})
  if(PARLOWEN_PROGRAM_DIR)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${target}>.so ${PARLOWEN_PROGRAM_DIR}/
      VERBATIM)
  endif()
endfunction()
