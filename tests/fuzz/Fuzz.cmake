# The fuzz targets: libFuzzer from clang, with AddressSanitizer and
# UndefinedBehaviorSanitizer. Configured in a build of its own with
# -DPOINTREL_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++; only the libraries the
# targets link are built. tools/fuzz runs one target; run-tests runs each
# for a few seconds.
set(FUZZ_DIR ${CMAKE_CURRENT_SOURCE_DIR}/tests/fuzz)

# target  source  libraries it needs
function(add_fuzz_target name source)
    add_executable(${name} ${FUZZ_DIR}/${source})
    target_link_libraries(${name} PRIVATE ${ARGN})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_include_directories(${name} PRIVATE ${FUZZ_DIR})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    set_property(GLOBAL APPEND PROPERTY POINTREL_FUZZ_TARGETS ${name})
endfunction()

add_fuzz_target(bmp_cursor BmpCursorFuzzer.cpp pointrel_program devicesim_device)
add_fuzz_target(settings_load SettingsLoadFuzzer.cpp pointrel_shared devicesim_device)
add_fuzz_target(reg_file RegFileFuzzer.cpp devicesim_kernel)
add_fuzz_target(resource_file ResourceFileFuzzer.cpp devicesim_user)
add_fuzz_target(dialog_template DialogTemplateFuzzer.cpp devicesim_user)
add_fuzz_target(menu_resource MenuResourceFuzzer.cpp devicesim_user)
add_fuzz_target(device_script DeviceScriptFuzzer.cpp devicesim_script)
add_fuzz_target(shortcut ShortcutFuzzer.cpp devicesim_shell)
add_fuzz_target(shell_keys ShellKeysFuzzer.cpp plsettings_program devicesim_device)
target_include_directories(shell_keys PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/SettingsGuiApplication)

get_property(targets GLOBAL PROPERTY POINTREL_FUZZ_TARGETS)
add_custom_target(fuzzers DEPENDS ${targets})
