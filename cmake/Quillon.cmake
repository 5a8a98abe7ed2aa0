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

# A source file whose name ends in one of these tags ("injector_x11.cpp",
# "spotter_core_sherpa.cpp") is built only where the tag applies: on a platform
# (win, posix, x11), or where the library it uses is (alsa, icu for Qt's GBK
# converter, bzip2, and the speech runtimes sherpa and pocketsphinx, which
# cmake/SpeechRuntime.cmake finds on Linux).
set(QUILLON_SOURCE_TAGS win posix x11 alsa icu bzip2 sherpa pocketsphinx)
if(WIN32)
  set(QUILLON_BUILT_TAGS win)
else()
  set(QUILLON_BUILT_TAGS x11)
  if(UNIX)
    list(APPEND QUILLON_BUILT_TAGS posix)
  endif()
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    list(APPEND QUILLON_BUILT_TAGS alsa icu bzip2 sherpa pocketsphinx)
  endif()
endif()

# Collects the sources of one folder and its subfolders: portable files, plus
# the tagged ones whose tag is built here.
function(quillon_sources out dir)
  file(GLOB_RECURSE all CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.h")
  list(JOIN QUILLON_SOURCE_TAGS "|" tags)
  set(kept "")
  foreach(f IN LISTS all)
    get_filename_component(name "${f}" NAME_WE)
    if(name MATCHES "_(${tags})$")
      if(CMAKE_MATCH_1 IN_LIST QUILLON_BUILT_TAGS)
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
