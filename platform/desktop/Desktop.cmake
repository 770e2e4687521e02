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

add_library(desktop_shell STATIC ${DESKTOP_DIR}/aygshell_standin.cpp)

add_executable(Pointrel WIN32 ${CURSOR_PROGRAM_SOURCES} ${SETTINGS_STORE_SOURCES}
    CursorDisplayApplication/Pointrel.rc)
target_include_directories(Pointrel PRIVATE CursorDisplayApplication)
# windres writes no dependency file, so the script's header is named here.
set_source_files_properties(CursorDisplayApplication/Pointrel.rc PROPERTIES
    OBJECT_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/CursorDisplayApplication/resource.h)
target_link_options(Pointrel PRIVATE -municode -static)
target_link_libraries(Pointrel PRIVATE desktop_shell gdi32 user32)

# The install hooks: a library that exports exactly the four hooks, by name.
add_library(Deployhook SHARED ${DEPLOYHOOK_SOURCES} Deployhook/Deployhook.def)
set_target_properties(Deployhook PROPERTIES PREFIX "")
target_link_options(Deployhook PRIVATE -static -s)
target_link_libraries(Deployhook PRIVATE user32)
