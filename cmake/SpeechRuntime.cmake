# The keyword spotter's runtime: sherpa-onnx shared libraries that
# scripts/speech-runtime.sh installs from npm into .deps/ (never committed),
# plus ALSA capture, libbz2 for the pinyin table and PocketSphinx for the
# fallback engine. Linux only: everything the speech library needs beyond Qt
# comes through quillon_speech_deps.
add_library(quillon_speech_deps INTERFACE)
if(NOT UNIX)
  return()
endif()

set(QUILLON_SHERPA_DIR "${PROJECT_SOURCE_DIR}/.deps/node_modules/sherpa-onnx-linux-x64"
    CACHE PATH "Folder with libsherpa-onnx-c-api.so and libonnxruntime.so")

find_library(QUILLON_SHERPA_C_API sherpa-onnx-c-api PATHS "${QUILLON_SHERPA_DIR}" NO_DEFAULT_PATH)
find_library(QUILLON_ONNXRUNTIME onnxruntime PATHS "${QUILLON_SHERPA_DIR}" NO_DEFAULT_PATH)
if(NOT QUILLON_SHERPA_C_API OR NOT QUILLON_ONNXRUNTIME)
  message(FATAL_ERROR "speech runtime not found in ${QUILLON_SHERPA_DIR}: run scripts/speech-runtime.sh")
endif()

add_library(quillon_sherpa SHARED IMPORTED)
set_target_properties(quillon_sherpa PROPERTIES IMPORTED_LOCATION "${QUILLON_SHERPA_C_API}")
add_library(quillon_onnxruntime SHARED IMPORTED)
set_target_properties(quillon_onnxruntime PROPERTIES IMPORTED_LOCATION "${QUILLON_ONNXRUNTIME}")
set_property(TARGET quillon_sherpa PROPERTY INTERFACE_LINK_LIBRARIES quillon_onnxruntime)

find_package(BZip2 REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(ALSA REQUIRED IMPORTED_TARGET alsa)
# The fallback engine: Debian's PocketSphinx and its US English model.
pkg_check_modules(POCKETSPHINX REQUIRED IMPORTED_TARGET pocketsphinx)

target_link_libraries(quillon_speech_deps INTERFACE quillon_sherpa Threads::Threads BZip2::BZip2 PkgConfig::ALSA
                                                    PkgConfig::POCKETSPHINX)
