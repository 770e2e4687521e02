# The desktop build's toolchain with MinGW's POSIX thread model, whose
# libstdc++ has std::mutex and std::thread; for the conformance suite.
include(${CMAKE_CURRENT_LIST_DIR}/../../platform/desktop/mingw-w64.cmake)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
