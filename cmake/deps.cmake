# Imported targets for the statically built third-party libraries.
add_library(dep_crypto STATIC IMPORTED GLOBAL)
set_target_properties(dep_crypto PROPERTIES
  IMPORTED_LOCATION "${NTDEPS_OPENSSL}/lib/libcrypto.a"
  INTERFACE_INCLUDE_DIRECTORIES "${NTDEPS_OPENSSL}/include"
  INTERFACE_COMPILE_DEFINITIONS "OPENSSL_SUPPRESS_DEPRECATED"
  INTERFACE_LINK_LIBRARIES "ws2_32;crypt32;bcrypt;advapi32;user32")

add_library(dep_curl STATIC IMPORTED GLOBAL)
set_target_properties(dep_curl PROPERTIES
  IMPORTED_LOCATION "${NTDEPS_CURL}/lib/libcurl.a"
  INTERFACE_INCLUDE_DIRECTORIES "${NTDEPS_CURL}/include"
  INTERFACE_COMPILE_DEFINITIONS "CURL_STATICLIB;CURL_DISABLE_DEPRECATION"
  INTERFACE_LINK_LIBRARIES "ws2_32;crypt32;bcrypt;secur32;advapi32;iphlpapi")

add_library(dep_jsoncpp STATIC IMPORTED GLOBAL)
set_target_properties(dep_jsoncpp PROPERTIES
  IMPORTED_LOCATION "${NTDEPS_JSONCPP}/lib/libjsoncpp.a"
  INTERFACE_INCLUDE_DIRECTORIES "${NTDEPS_JSONCPP}/include")

# zlib comes from Debian's mingw package in the toolchain's sysroot.
add_library(dep_zlib STATIC IMPORTED GLOBAL)
set_target_properties(dep_zlib PROPERTIES
  IMPORTED_LOCATION "/usr/${NT_TRIPLE}/lib/libz.a"
  INTERFACE_INCLUDE_DIRECTORIES "/usr/${NT_TRIPLE}/include")

# GoogleTest, cross-built with the same toolchain.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
