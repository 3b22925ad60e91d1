# Third-party libraries, all from Debian: the -dev packages natively, the static builds that
# scripts/setup.sh makes from Debian's sources for the mingw-w64 targets.
#   tessaro::curl   libcurl (HTTP, HTTPS, FILE)
#   tessaro::zlib   zlib (gzip of statistics batches)
if(CMAKE_CROSSCOMPILING)
  set(_curl_prefix "${TESSARO_DEPS_DIR}/curl-${TESSARO_MINGW_HOST}")
  if(NOT EXISTS "${_curl_prefix}/lib/libcurl.a")
    message(FATAL_ERROR "static libcurl for ${TESSARO_MINGW_HOST} is missing: run scripts/setup.sh")
  endif()
  add_library(tessaro::curl STATIC IMPORTED GLOBAL)
  set_target_properties(tessaro::curl PROPERTIES
    IMPORTED_LOCATION "${_curl_prefix}/lib/libcurl.a"
    INTERFACE_INCLUDE_DIRECTORIES "${_curl_prefix}/include"
    INTERFACE_COMPILE_DEFINITIONS CURL_STATICLIB
    # zlib by full path: CMake would otherwise pick the DLL import library.
    INTERFACE_LINK_LIBRARIES "/usr/${TESSARO_MINGW_HOST}/lib/libz.a;ws2_32;crypt32;bcrypt;advapi32;secur32")
  add_library(tessaro::zlib STATIC IMPORTED GLOBAL)
  set_target_properties(tessaro::zlib PROPERTIES IMPORTED_LOCATION "/usr/${TESSARO_MINGW_HOST}/lib/libz.a"
    INTERFACE_INCLUDE_DIRECTORIES "/usr/${TESSARO_MINGW_HOST}/include")
else()
  find_package(CURL REQUIRED)
  add_library(tessaro::curl ALIAS CURL::libcurl)
  find_package(ZLIB REQUIRED)
  add_library(tessaro::zlib ALIAS ZLIB::ZLIB)
endif()
