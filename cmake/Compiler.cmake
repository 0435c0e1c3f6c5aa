# Compiler-specific settings live here and nowhere else.
#
# korvane_project_target(<target>) applies the warning level and the
# platform settings to one of our own targets; third-party code built in the
# same tree (GoogleTest) keeps its own flags.

if(MSVC)
  set(KORVANE_WARNINGS /W4 /WX /permissive- /utf-8 /EHsc)
  set(KORVANE_DEFINES _CRT_SECURE_NO_WARNINGS)
  # Link the C runtime statically, as MinGW does with -static.
  set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
else()
  set(KORVANE_WARNINGS -Wall -Wextra -Werror)
  set(KORVANE_DEFINES)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
     AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 14)
    # GCC 12 and 13 report -Wrestrict for plain std::string concatenation at
    # -O2 and above (GCC bug 105329): a false alarm in libstdc++ itself.
    list(APPEND KORVANE_WARNINGS -Wno-restrict)
  endif()
endif()

if(WIN32)
  # Unicode Win32 API throughout; Windows 7 SP1 is the oldest supported system.
  list(APPEND KORVANE_DEFINES UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
       _WIN32_WINNT=0x0601 WINVER=0x0601)
endif()

if(MINGW)
  # No runtime DLLs: libgcc, libstdc++ and winpthread are linked in.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

function(korvane_project_target target)
  target_compile_options(${target} PRIVATE ${KORVANE_WARNINGS})
  target_compile_definitions(${target} PRIVATE ${KORVANE_DEFINES})
endfunction()

# Entry points are wmain / wWinMain so that arguments arrive as UTF-16.
function(korvane_wide_entry target)
  if(MINGW)
    target_link_options(${target} PRIVATE -municode)
  endif()
endfunction()
