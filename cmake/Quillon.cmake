# Shared build settings: strict warnings, sanitizers, and platform source selection.

# Strict warnings everywhere; errors only where QUILLON_WERROR asks for them (CI
# and the developer scripts), so a user's newer compiler never stops a build.
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  set(QUILLON_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
  if(QUILLON_WERROR)
    list(APPEND QUILLON_WARNINGS -Werror)
  endif()
  # GCC 12 at -O3 wrongly reports overlapping copies inside libstdc++'s own
  # string concatenation and insertion (fixed in later releases).
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    list(APPEND QUILLON_WARNINGS -Wno-restrict)
  endif()
elseif(MSVC)
  set(QUILLON_WARNINGS /W4 /utf-8)
  if(QUILLON_WERROR)
    list(APPEND QUILLON_WARNINGS /WX)
  endif()
endif()

if(QUILLON_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
  set(QUILLON_PLATFORM_SUFFIX win)
else()
  set(QUILLON_PLATFORM_SUFFIX x11)
endif()

# Collects the sources of one folder: portable files plus those named for this
# platform (*_x11.cpp / *_posix.cpp / *_alsa.cpp on Linux, *_win.cpp on Windows).
function(quillon_sources out dir)
  file(GLOB all CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.h")
  set(kept "")
  foreach(f IN LISTS all)
    get_filename_component(name "${f}" NAME_WE)
    if(name MATCHES "_(x11|posix|alsa|win)$")
      set(tag "${CMAKE_MATCH_1}")
      if(tag STREQUAL QUILLON_PLATFORM_SUFFIX OR (tag STREQUAL "posix" AND UNIX)
         OR (tag STREQUAL "alsa" AND CMAKE_SYSTEM_NAME STREQUAL "Linux"))
        list(APPEND kept "${f}")
      endif()
    else()
      list(APPEND kept "${f}")
    endif()
  endforeach()
  set(${out} "${kept}" PARENT_SCOPE)
endfunction()

function(quillon_strict target)
  target_compile_options(${target} PRIVATE ${QUILLON_WARNINGS})
endfunction()
