# The Windows program and the end-to-end test driver that runs it under Wine.
target_compile_definitions(parlowen_core PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                _WIN32_WINNT=0x0601)
if(MINGW)
  # Without the C++ runtime linked in, Wine cannot start the program.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

# The driver and the tools that run under Wine from the console have wmain as their entry.
function(parlowen_wmain_entry target)
  if(MINGW)
    target_link_options(${target} PRIVATE -municode)
  endif()
endfunction()

add_library(parlowen_win32 STATIC
  src/win32/errors_win32.cpp
  src/win32/text_win32.cpp
  src/win32/child_window_win32.cpp
  src/app/error_report_win32.cpp
  src/win32/file_dialogs_win32.cpp
  src/app/log_commands_win32.cpp
  src/app/main_window_win32.cpp
  src/app/main_window_layout_win32.cpp
  src/app/menus_win32.cpp
  src/app/message_output_win32.cpp
  src/app/options_page_win32.cpp
  src/app/people_page_win32.cpp
  src/app/people_win32.cpp
  src/app/speaking_rules_box_win32.cpp
  src/app/settings/get_path_win32.cpp
  src/app/settings/profile_store_win32.cpp
  src/app/settings/people_file_win32.cpp
  src/app/settings/settings_folder_file_win32.cpp
  src/app/global_hotkeys_win32.cpp
  src/app/chats_page_win32.cpp
  src/app/hotkeys_box_win32.cpp
  src/app/keyboard_navigation_win32.cpp
  src/app/replacements_win32.cpp
  src/app/remote_commands_win32.cpp
  src/win32/greyed_icon_win32.cpp
  src/app/start_with_windows_win32.cpp
  src/app/startup_shortcut_win32.cpp
  src/app/xdg_autostart_win32.cpp
  src/app/tray_icon_win32.cpp
  src/capture/chat_capture_win32.cpp
  src/capture/chat_windows_win32.cpp
  src/capture/chat_histories_win32.cpp
  src/capture/history_control_win32.cpp
  src/capture/messenger_memory_win32.cpp
  src/log/log_caret_win32.cpp
  src/log/log_control_win32.cpp
  src/log/log_file_win32.cpp
  src/capture/history_reader_win32.cpp
  src/log/log_pane_win32.cpp
  src/app/window_commands_win32.cpp
  src/speech/espeak_voice_engine_win32.cpp
  src/speech/profile_controls_win32.cpp
  src/speech/sapi_voice_engine_win32.cpp
  src/speech/speech_engines_win32.cpp
  src/speech/token_registry_win32.cpp
  src/speech/voice_process_win32.cpp
  src/win32/list_view_win32.cpp
  src/win32/menu_items_win32.cpp
  src/win32/process_width_win32.cpp
  src/win32/random_name_win32.cpp
  src/win32/replace_file_win32.cpp
  src/win32/running_exe_win32.cpp
  src/win32/stoppable_pipe_win32.cpp
  src/win32/windows_version_win32.cpp
  src/win32/wine_win32.cpp
)
target_link_libraries(parlowen_win32 PUBLIC parlowen_core
  comctl32 ole32 oleaut32 uuid sapi shell32 gdi32 user32 comdlg32)

add_executable(parlowen WIN32 src/app/entry_win32.cpp src/win32/tick_count_xp_win32.cpp resources/parlowen.rc)
target_link_libraries(parlowen PRIVATE parlowen_win32)
configure_file(resources/version.h.in ${CMAKE_BINARY_DIR}/version.h)
target_include_directories(parlowen PRIVATE ${CMAKE_BINARY_DIR})

# The installer, parlowen-setup.exe beside the 32-bit program (the one users install),
# stamped with the same version.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  find_program(MAKENSIS makensis REQUIRED)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/parlowen-setup.exe
    COMMAND ${MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DEXE=$<TARGET_FILE:parlowen>
            -DICON=${CMAKE_SOURCE_DIR}/resources/parlowen.ico
            -DOUTFILE=${CMAKE_BINARY_DIR}/parlowen-setup.exe
            ${CMAKE_SOURCE_DIR}/installer/parlowen.nsi
    DEPENDS parlowen ${CMAKE_SOURCE_DIR}/installer/parlowen.nsi ${CMAKE_SOURCE_DIR}/resources/parlowen.ico
    VERBATIM)
  add_custom_target(parlowen_setup ALL DEPENDS ${CMAKE_BINARY_DIR}/parlowen-setup.exe)
endif()

# A Winelib program (its sources and CMakeLists.txt in `source`), built by the host's
# wineg++ as a project of its own, in build/<tree>/<binary>; its .exe.so lands beside
# parlowen.exe. It has the program's width, so that a 32-bit-only prefix, which runs the
# 32-bit program, runs it too: the 64-bit wineg++ builds it with -m32 against the i386
# libraries.
include(ExternalProject)
function(parlowen_winelib_program target source binary)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(width_flags -m32)
  endif()
  ExternalProject_Add(${target}
    SOURCE_DIR ${source}
    BINARY_DIR ${CMAKE_BINARY_DIR}/${binary}
    CMAKE_GENERATOR Ninja
    CMAKE_ARGS -DCMAKE_CXX_COMPILER=wineg++ -DCMAKE_BUILD_TYPE=Release
               -DCMAKE_CXX_FLAGS=${width_flags}
               -DPARLOWEN_PROGRAM_DIR=${CMAKE_BINARY_DIR}
    BUILD_ALWAYS ON
    INSTALL_COMMAND "")
endfunction()

# The eSpeak NG engine's voice process.
parlowen_winelib_program(parlowen_voice ${CMAKE_SOURCE_DIR}/src/voice voice)
add_dependencies(parlowen parlowen_voice)

# What the driver and the speech benchmark share: starting and reading the program,
# and putting the recording speech server in place.
add_library(parlowen_e2e_support STATIC
  tests/e2e/registry_win32.cpp
  tests/e2e/e2e_support_win32.cpp
  tests/e2e/files_win32.cpp
  tests/e2e/program_win32.cpp
  tests/e2e/sapi_registration_win32.cpp
  tests/e2e/sound_recording_win32.cpp
)
target_include_directories(parlowen_e2e_support PUBLIC tests/e2e)
target_link_libraries(parlowen_e2e_support PUBLIC parlowen_win32 sapi ole32 oleaut32 uuid advapi32)

# CTest runs the driver under Wine, in a fresh prefix on a private virtual display.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh)
add_executable(parlowen_e2e
  tests/e2e/driver_win32.cpp
  tests/e2e/messenger_builds_win32.cpp
  tests/e2e/chat_windows_test.cpp
  tests/e2e/log_commands_test.cpp
  tests/e2e/log_pane_test.cpp
  tests/e2e/main_window_test.cpp
  tests/e2e/get_path_test.cpp
  tests/e2e/installer_test.cpp
  tests/e2e/keyboard_test.cpp
  tests/e2e/start_with_windows_test.cpp
  tests/e2e/voice_tokens_test.cpp
  tests/e2e/window_commands_test.cpp
)
target_link_libraries(parlowen_e2e PRIVATE parlowen_e2e_support user32 gdi32 comctl32 shell32 version)
parlowen_wmain_entry(parlowen_e2e)

add_library(parlowen_e2e_probe SHARED tests/e2e/probe_win32.cpp)
set_target_properties(parlowen_e2e_probe PROPERTIES PREFIX "")
target_link_libraries(parlowen_e2e_probe PRIVATE user32 psapi)
if(MINGW)
  # The driver finds the hook procedure by its plain name, which 32-bit stdcall decorates.
  target_link_options(parlowen_e2e_probe PRIVATE -Wl,--kill-at)
endif()
add_dependencies(parlowen_e2e parlowen_e2e_probe parlowen)
if(TARGET parlowen_setup)
  add_dependencies(parlowen_e2e parlowen_setup)
endif()

# A stand-in messenger chat window for trying the program by hand; the end-to-end cases
# play the messenger with the same window, and start the demo to read a chat window of
# another process.
add_library(parlowen_demo_chat_window STATIC tools/demo_chat/chat_window_win32.cpp)
target_include_directories(parlowen_demo_chat_window PUBLIC tools)
target_link_libraries(parlowen_demo_chat_window PUBLIC parlowen_win32)
target_link_libraries(parlowen_e2e PRIVATE parlowen_demo_chat_window)

add_executable(parlowen_demo_chat WIN32 tools/demo_chat/demo_chat_win32.cpp)
set_target_properties(parlowen_demo_chat PROPERTIES OUTPUT_NAME parlowen-demo-chat)
target_link_libraries(parlowen_demo_chat PRIVATE parlowen_demo_chat_window shell32)
add_dependencies(parlowen_e2e parlowen_demo_chat)

# A recording stand-in for the SAPI 5 speech objects, registered in the test prefix by
# the driver, so that the end-to-end cases see what the program asks the platform to do.
add_library(parlowen_sapi_recorder SHARED
  tests/e2e/sapi_recorder/sapi_recorder_win32.cpp
  tests/e2e/sapi_recorder/call_log_win32.cpp
  tests/e2e/sapi_recorder/voice_win32.cpp
  tests/e2e/sapi_recorder/file_stream_win32.cpp
  tests/e2e/sapi_recorder/wav_file_win32.cpp
  tests/e2e/sapi_recorder/parlowen_sapi_recorder.def
  tests/e2e/registry_win32.cpp
  src/win32/text_win32.cpp
)
set_target_properties(parlowen_sapi_recorder PROPERTIES PREFIX "")
target_compile_definitions(parlowen_sapi_recorder PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                          _WIN32_WINNT=0x0601)
target_include_directories(parlowen_sapi_recorder PRIVATE src)
target_link_libraries(parlowen_sapi_recorder PRIVATE sapi ole32 oleaut32 uuid advapi32)

target_sources(parlowen_e2e PRIVATE tests/e2e/sapi_recorder_test.cpp)
add_dependencies(parlowen_e2e parlowen_sapi_recorder)
target_sources(parlowen_e2e PRIVATE tests/e2e/speech_test.cpp)
target_sources(parlowen_e2e PRIVATE tests/e2e/settings_test.cpp)
target_sources(parlowen_e2e PRIVATE tests/e2e/capture_test.cpp)
target_sources(parlowen_e2e PRIVATE tests/e2e/espeak_test.cpp)
target_sources(parlowen_e2e PRIVATE tests/e2e/hardening_test.cpp)

# How long speaking holds the GUI thread; run by bench/run-speak-latency.sh, never as a test.
add_executable(parlowen_speak_bench bench/speak_latency_win32.cpp bench/checks_printed_win32.cpp)
target_link_libraries(parlowen_speak_bench PRIVATE parlowen_e2e_support)
target_include_directories(parlowen_speak_bench PRIVATE tests/unit)
parlowen_wmain_entry(parlowen_speak_bench)
add_dependencies(parlowen_speak_bench parlowen_sapi_recorder)

# How soon the eSpeak NG engine is heard; run by bench/run-espeak-latency.sh.
add_executable(parlowen_espeak_bench bench/espeak_latency_win32.cpp)
target_link_libraries(parlowen_espeak_bench PRIVATE parlowen_win32)
target_include_directories(parlowen_espeak_bench PRIVATE tests/unit)
parlowen_wmain_entry(parlowen_espeak_bench)
add_dependencies(parlowen_espeak_bench parlowen_voice)

# How soon speech is heard at the sound server, and how soon it stops, with the real
# program: run by bench/run-sound-latency.sh with the 64-bit build, beside
# parlowen-sound-probe.exe.so, a Winelib listener on the audio server.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  parlowen_winelib_program(parlowen_sound_probe ${CMAKE_SOURCE_DIR}/bench/sound_probe sound_probe)
  add_executable(parlowen_sound_latency_bench bench/sound_latency_win32.cpp bench/checks_printed_win32.cpp)
  target_link_libraries(parlowen_sound_latency_bench PRIVATE parlowen_e2e_support parlowen_demo_chat_window)
  parlowen_wmain_entry(parlowen_sound_latency_bench)
  add_dependencies(parlowen_sound_latency_bench parlowen parlowen_e2e_probe parlowen_sound_probe)
endif()

# A messenger's chat window with a long history in a process of its own, what each
# request to it costs, and how long the program's GUI thread is held; run by
# bench/run-chat-requests.sh and bench/run-capture-cost.sh, never as tests.
add_executable(parlowen_stand_in_messenger WIN32 bench/stand_in_messenger_win32.cpp)
set_target_properties(parlowen_stand_in_messenger PROPERTIES OUTPUT_NAME parlowen-stand-in-messenger)
target_link_libraries(parlowen_stand_in_messenger PRIVATE parlowen_demo_chat_window)
add_executable(parlowen_chat_requests_bench bench/chat_requests_win32.cpp)
target_link_libraries(parlowen_chat_requests_bench PRIVATE parlowen_e2e_support)
add_dependencies(parlowen_chat_requests_bench parlowen_stand_in_messenger)
add_executable(parlowen_gui_hold_probe bench/gui_hold_probe_win32.cpp)
target_link_libraries(parlowen_gui_hold_probe PRIVATE user32)
add_dependencies(parlowen_gui_hold_probe parlowen_stand_in_messenger parlowen)

enable_testing()
# Both widths are built, each in its own tree: the 32-bit program is the one users get and
# runs the whole suite; the 64-bit one keeps the capture cases and a start-up case. Each
# meets the demo chat of the other width too, so that all four pairings of program and
# messenger are run.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(other_width_tree windows)
else()
  set(other_width_tree windows32)
endif()
set(PARLOWEN_OTHER_WIDTH_BUILD ${CMAKE_SOURCE_DIR}/build/${other_width_tree} CACHE PATH
    "The build tree of the other width, whose demo chat the end-to-end suite starts")
string(REPLACE "/" "\\" other_demo_chat "Z:${PARLOWEN_OTHER_WIDTH_BUILD}/parlowen-demo-chat.exe")

# Registers a run of the driver as CTest's test `name`, in a fresh Wine prefix (see
# scripts/wine-run.sh), with its screenshots in build/screenshots-<name> and the
# environment `ARGN` adds; CASES names the cases (all when empty).
function(parlowen_e2e_run name timeout)
  cmake_parse_arguments(run "" "" "CASES;ENVIRONMENT" ${ARGN})
  set(screenshots ${CMAKE_SOURCE_DIR}/build/screenshots-${name})
  string(REPLACE "/" "\\" screenshots_windows "Z:${screenshots}")
  add_test(NAME ${name} COMMAND parlowen_e2e ${screenshots_windows} ${run_CASES})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${timeout}
    ENVIRONMENT "PARLOWEN_SCREENSHOTS=${screenshots};PARLOWEN_OTHER_WIDTH_DEMO_CHAT=${other_demo_chat};${run_ENVIRONMENT}")
endfunction()

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # The whole suite takes a quarter of an hour here and longer on a slower machine, so it
  # runs as four shards, each in a fresh prefix under a timeout of its own.
  foreach(part RANGE 1 4)
    parlowen_e2e_run(e2e-${part}of4 900 ENVIRONMENT "PARLOWEN_E2E_AUDIO=${CMAKE_SOURCE_DIR}/build/e2e-audio"
                                                   "PARLOWEN_E2E_SHARD=${part}/4")
  endforeach()
  # The cases for Windows 5.x: a 32-bit Windows XP (a 32-bit-only prefix), and a 64-bit
  # one, where the system redirects the program's registry access to the 32-bit view.
  parlowen_e2e_run(e2e-winxp 600 ENVIRONMENT "PARLOWEN_WINE_VERSION=winxp;PARLOWEN_WINE_ARCH=win32")
  parlowen_e2e_run(e2e-winxp64 600 ENVIRONMENT "PARLOWEN_WINE_VERSION=winxp64")
  set_tests_properties(e2e-winxp e2e-winxp64 PROPERTIES LABELS xp)
  # What only the 32-bit program shows beside the 64-bit program's whole suite, for a
  # machine that runs it only emulated (label "32only"; the shards run these cases too):
  # its start, its installer, and its pairings with messengers of either width.
  parlowen_e2e_run(e2e-32only 1200 CASES MainWindowStartsMinimisedWithItsCaptionAndSize Installer*
                                         MessengersOfEitherWidth* ChatWindowsReadsTheDemoChatInAnotherProcess
                                         ChatWindowsTailParsesAsTheWholeTextForRandomTranscripts)
  set_tests_properties(e2e-32only PROPERTIES LABELS 32only)
else()
  # On a machine that runs no 32-bit program the 64-bit program runs the whole suite
  # instead, in four shards as the 32-bit one does (label "whole"; scripts/test.sh picks).
  foreach(part RANGE 1 4)
    parlowen_e2e_run(e2e64-${part}of4 900 ENVIRONMENT "PARLOWEN_E2E_AUDIO=${CMAKE_SOURCE_DIR}/build/e2e-audio"
                                                     "PARLOWEN_E2E_SHARD=${part}/4")
    set_tests_properties(e2e64-${part}of4 PROPERTIES LABELS whole)
  endforeach()
  parlowen_e2e_run(e2e64 600 CASES ChatWindows* MessengersOfEitherWidth* OneToOneChat* AMessengerThatStops* ATimeInAMessage*
                                   MainWindowStartsMinimisedWithItsCaptionAndSize Keyboard*)
endif()

# The soak run and the idle cost, under Wine with the recording speech server; run by
# bench/run-soak.sh, never as a test.
add_executable(parlowen_soak bench/soak_win32.cpp bench/checks_printed_win32.cpp)
target_link_libraries(parlowen_soak PRIVATE parlowen_e2e_support parlowen_demo_chat_window)
parlowen_wmain_entry(parlowen_soak)
add_dependencies(parlowen_soak parlowen parlowen_sapi_recorder parlowen_e2e_probe)

# How long opening and clearing hold the window as the log grows; run by
# bench/run-log-size.sh, never as a test.
add_executable(parlowen_log_size_bench bench/log_size_win32.cpp bench/checks_printed_win32.cpp)
target_link_libraries(parlowen_log_size_bench PRIVATE parlowen_e2e_support)
parlowen_wmain_entry(parlowen_log_size_bench)
add_dependencies(parlowen_log_size_bench parlowen parlowen_e2e_probe)
