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

add_library(desktop_shell STATIC ${DESKTOP_DIR}/aygshell_standin.cpp)
target_compile_options(desktop_shell PRIVATE -Os -ffunction-sections -fdata-sections)

add_executable(Pointrel WIN32 ${CURSOR_PROGRAM_SOURCES} ${SHARED_SOURCES}
    CursorDisplayApplication/Pointrel.rc)
target_include_directories(Pointrel PRIVATE CursorDisplayApplication)
# windres writes no dependency file, so the script's header is named here.
set_source_files_properties(CursorDisplayApplication/Pointrel.rc PROPERTIES
    OBJECT_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/CursorDisplayApplication/resource.h)
target_link_options(Pointrel PRIVATE -municode -static)
target_link_libraries(Pointrel PRIVATE desktop_shell gdi32 user32)
release_size(Pointrel 65536)

add_executable(PLSettings WIN32 ${SETTINGS_PROGRAM_SOURCES} ${SHARED_SOURCES}
    SettingsGuiApplication/PLSettings.rc)
target_include_directories(PLSettings PRIVATE SettingsGuiApplication CursorDisplayApplication)
set_source_files_properties(SettingsGuiApplication/PLSettings.rc PROPERTIES
    OBJECT_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/SettingsGuiApplication/resource.h;${CMAKE_CURRENT_SOURCE_DIR}/SettingsGuiApplication/PLSettings.ico;${CMAKE_CURRENT_SOURCE_DIR}/SettingsGuiApplication/About.bmp")
target_link_options(PLSettings PRIVATE -municode -static)
target_link_libraries(PLSettings PRIVATE desktop_shell comctl32 gdi32 user32)
release_size(PLSettings 98304)

# The install hooks: a library that exports exactly the four hooks, by name.
add_library(Deployhook SHARED ${DEPLOYHOOK_SOURCES} Deployhook/Deployhook.def)
set_target_properties(Deployhook PROPERTIES PREFIX "")
target_link_options(Deployhook PRIVATE -static)
release_size(Deployhook 16384)
target_link_libraries(Deployhook PRIVATE user32)
# The installer finds the hooks by name: the export table must hold these
# four and nothing else, checked after every link.
find_program(MINGW_OBJDUMP NAMES x86_64-w64-mingw32-objdump objdump REQUIRED)
add_custom_command(TARGET Deployhook POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${MINGW_OBJDUMP} -DLIBRARY=$<TARGET_FILE:Deployhook>
            "-DEXPORTS=Install_Init;Install_Exit;Uninstall_Init;Uninstall_Exit"
            -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/CheckExports.cmake
    VERBATIM)
