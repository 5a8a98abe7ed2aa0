# Shared build settings: strict warnings, sanitizers, and platform source selection.

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  set(QUILLON_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion -Werror)
elseif(MSVC)
  set(QUILLON_WARNINGS /W4 /WX /utf-8)
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
