# The deliverables cross-built for desktop Windows: the check that they are
# C++03 written against the platform's real headers and types.
enable_language(RC)
set(CMAKE_CXX_STANDARD 98)
set(CMAKE_CXX_EXTENSIONS ON)

set(DESKTOP_DIR ${CMAKE_CURRENT_LIST_DIR})
add_compile_options(-Wall -Wextra -Werror -fno-exceptions -fno-rtti
    -include ${DESKTOP_DIR}/include/wince_compat.h)
add_compile_definitions(UNICODE _UNICODE WINVER=0x0601 _WIN32_WINNT=0x0601)
include_directories(BEFORE ${DESKTOP_DIR}/include)

# What ships is small, as programs in a device's CAB should be: optimised for
# size, without unused functions and data, stripped of symbols; and a link
# fails when the file outgrows its budget in bytes.
function(release_size target budget)
    target_compile_options(${target} PRIVATE -Os -ffunction-sections -fdata-sections)
    target_link_options(${target} PRIVATE -s -Wl,--gc-sections)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:${target}> -DBUDGET=${budget}
                -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/CheckSize.cmake
        VERBATIM)
endfunction()

add_library(desktop_shell STATIC ${DESKTOP_DIR}/aygshell_standin.cpp
    ${DESKTOP_DIR}/NotificationBox.cpp)
target_compile_definitions(desktop_shell PRIVATE POINTREL_DESKTOP_STANDINS)
target_compile_options(desktop_shell PRIVATE -Os -ffunction-sections -fdata-sections)
# Windows CE behaviour that desktop Windows lacks, reached through the
# compatibility header's names; built against the real calls.
add_library(desktop_standins STATIC ${DESKTOP_DIR}/InjectedInput.cpp
    ${DESKTOP_DIR}/KeyUpHotKeys.cpp ${DESKTOP_DIR}/WindowStandins.cpp)
target_compile_definitions(desktop_standins PRIVATE POINTREL_DESKTOP_STANDINS)
target_compile_options(desktop_standins PRIVATE -Os -ffunction-sections -fdata-sections)

add_executable(Pointrel WIN32 ${CURSOR_PROGRAM_SOURCES} ${SHARED_SOURCES}
    CursorDisplayApplication/Pointrel.rc)
target_include_directories(Pointrel PRIVATE CursorDisplayApplication)
# windres writes no dependency file, so the script's header is named here.
set_source_files_properties(CursorDisplayApplication/Pointrel.rc PROPERTIES
    OBJECT_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/CursorDisplayApplication/resource.h)
target_link_options(Pointrel PRIVATE -municode -static)
target_link_libraries(Pointrel PRIVATE desktop_shell desktop_standins gdi32 user32)
release_size(Pointrel 65536)

add_executable(PLSettings WIN32 ${SETTINGS_PROGRAM_SOURCES} ${SHARED_SOURCES}
    SettingsGuiApplication/PLSettings.rc)
target_include_directories(PLSettings PRIVATE SettingsGuiApplication CursorDisplayApplication)
set_source_files_properties(SettingsGuiApplication/PLSettings.rc PROPERTIES
    OBJECT_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/SettingsGuiApplication/resource.h;${CMAKE_CURRENT_SOURCE_DIR}/SettingsGuiApplication/PLSettings.ico;${CMAKE_CURRENT_SOURCE_DIR}/SettingsGuiApplication/About.bmp")
target_link_options(PLSettings PRIVATE -municode -static)
target_link_libraries(PLSettings PRIVATE desktop_shell desktop_standins comctl32 gdi32 user32)
release_size(PLSettings 98304)

# The install hooks: a library that exports exactly the four hooks, by name.
add_library(Deployhook SHARED ${DEPLOYHOOK_SOURCES} Deployhook/Deployhook.def)
set_target_properties(Deployhook PROPERTIES PREFIX "")
target_link_options(Deployhook PRIVATE -static)
release_size(Deployhook 16384)
target_link_libraries(Deployhook PRIVATE desktop_standins user32)
# The installer finds the hooks by name: the export table must hold these
# four and nothing else, checked after every link.
find_program(MINGW_OBJDUMP NAMES x86_64-w64-mingw32-objdump objdump REQUIRED)
add_custom_command(TARGET Deployhook POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${MINGW_OBJDUMP} -DLIBRARY=$<TARGET_FILE:Deployhook>
            "-DEXPORTS=Install_Init;Install_Exit;Uninstall_Init;Uninstall_Exit"
            -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/CheckExports.cmake
    VERBATIM)

# The end-to-end test's stand-in for the user's foreground program: it logs
# what it receives.
add_executable(WineTarget WIN32 tests/wine/target/WineTarget.cpp)
target_link_options(WineTarget PRIVATE -municode -static)
# A desktop program, so it calls the desktop functions themselves.
target_compile_definitions(WineTarget PRIVATE POINTREL_DESKTOP_STANDINS)
target_link_libraries(WineTarget PRIVATE user32 shell32)
# ... and for the device's installer, which loads the install hooks.
add_executable(HookHost WIN32 tests/wine/target/HookHost.cpp)
target_link_options(HookHost PRIVATE -municode -static)
target_compile_definitions(HookHost PRIVATE POINTREL_DESKTOP_STANDINS)
target_link_libraries(HookHost PRIVATE shell32)
# ... and for a user of the dialogs.
add_executable(DialogDriver WIN32 tests/wine/target/DialogDriver.cpp)
target_link_options(DialogDriver PRIVATE -municode -static)
target_compile_definitions(DialogDriver PRIVATE POINTREL_DESKTOP_STANDINS)
target_link_libraries(DialogDriver PRIVATE user32 shell32)

# The cross-built programs run under Wine on a virtual X display.
enable_testing()
find_program(WINE wine)
find_program(XVFB Xvfb)
find_program(XDOTOOL xdotool)
find_program(XWININFO xwininfo)
if(WINE AND XVFB AND XDOTOOL AND XWININFO)
    add_test(NAME EndToEndUnderWine
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tests/wine/end-to-end.sh
                $<TARGET_FILE_DIR:Pointrel> ${CMAKE_CURRENT_SOURCE_DIR})
    set_tests_properties(EndToEndUnderWine PROPERTIES TIMEOUT 120)
endif()

# The conformance suite that runs on DeviceSim, built for Windows and run
# under Wine: the differential check of DeviceSim against a real Win32.
# A project of its own, for the compiler and flags that test code needs.
include(ExternalProject)
set(CONFORMANCE_DIR ${CMAKE_CURRENT_BINARY_DIR}/conformance)
ExternalProject_Add(conformance
    SOURCE_DIR ${CMAKE_CURRENT_SOURCE_DIR}/tests/conformance
    BINARY_DIR ${CONFORMANCE_DIR}
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
               -DCMAKE_TOOLCHAIN_FILE=${CMAKE_CURRENT_SOURCE_DIR}/tests/conformance/mingw-w64-posix.cmake
    # Its own build runs beside the outer one: two jobs, as the machines have
    # two cores.
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --parallel 2
    BUILD_ALWAYS ON
    INSTALL_COMMAND "")
if(WINE AND XVFB)
    add_test(NAME ConformanceUnderWine
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tests/wine/conformance.sh
                ${CONFORMANCE_DIR})
    set_tests_properties(ConformanceUnderWine PROPERTIES TIMEOUT 120)
endif()
