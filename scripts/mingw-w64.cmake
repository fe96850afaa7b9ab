# Cross-compiles the Windows tree (build/windows) with mingw-w64 for 64-bit Windows.
# The POSIX thread model compilers give std::thread and std::mutex; everything is linked
# statically (libstdc++, libgcc, winpthread) so the programs run under Wine without a DLL path.
# The libraries Debian does not ship for mingw come from scripts/build-windows-deps.sh, whose
# prefix is handed in as NIMBREL_WINDOWS_DEPS.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triple})
if(NIMBREL_WINDOWS_DEPS)
  list(PREPEND CMAKE_FIND_ROOT_PATH ${NIMBREL_WINDOWS_DEPS})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config answers for the cross prefix only, never with the host's libraries.
if(NIMBREL_WINDOWS_DEPS)
  set(ENV{PKG_CONFIG_LIBDIR} ${NIMBREL_WINDOWS_DEPS}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_PATH} "")
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
endif()

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Test programs (add_test) run through Wine.
find_program(NIMBREL_WINE wine)
if(NIMBREL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${NIMBREL_WINE})
endif()
