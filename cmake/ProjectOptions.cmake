# Compiler settings shared by every target of the project.

# One interface target that every library, program and test links.
add_library(vt_options INTERFACE)

if(MSVC)
  target_compile_options(vt_options INTERFACE /W4 /WX /utf-8 /permissive-)
  set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
  # Hardening, stated rather than left to the defaults: stack checks, control-flow guard, ASLR
  # (high-entropy), DEP, and the DLLs that the executable imports taken from System32 only.
  target_compile_options(vt_options INTERFACE /GS /guard:cf)
  target_link_options(vt_options INTERFACE /DYNAMICBASE /NXCOMPAT /HIGHENTROPYVA /guard:cf
                                           /DEPENDENTLOADFLAG:0x800)
else()
  target_compile_options(vt_options INTERFACE -Wall -Wextra -Werror)
endif()

if(WIN32)
  target_compile_definitions(vt_options INTERFACE
    UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0600 WINVER=0x0600)
  if(MINGW)
    # The C++ runtime goes into the executable, so it runs on its own.
    target_link_options(vt_options INTERFACE -static -static-libgcc -static-libstdc++)
    # Hardening, stated rather than left to the toolchain's defaults: stack checks (their
    # support library is linked statically with the rest), ASLR (high-entropy), DEP.
    target_compile_options(vt_options INTERFACE -fstack-protector-strong)
    target_link_options(vt_options INTERFACE -fstack-protector-strong -Wl,--dynamicbase
                        -Wl,--nxcompat -Wl,--high-entropy-va)
  endif()
endif()

if(VT_SANITIZE AND NOT WIN32)
  target_compile_options(vt_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                              -fno-sanitize-recover=all)
  target_link_options(vt_options INTERFACE -fsanitize=address,undefined)
endif()

# Windows subsystem entry point wWinMain.
function(vt_gui_entry target)
  if(MINGW)
    target_link_options(${target} PRIVATE -municode -mwindows)
  endif()
endfunction()

# Console programs with wmain (tests and tools).
function(vt_console_entry target)
  if(MINGW)
    target_link_options(${target} PRIVATE -municode)
  endif()
endfunction()
