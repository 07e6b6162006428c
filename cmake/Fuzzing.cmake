# libFuzzer targets under tests/fuzz. Configure a separate build directory with clang:
#   CC=clang CXX=clang++ cmake -S . -B build-fuzz -DQINGLAN_FUZZ=ON
# Every project source is then compiled with coverage feedback and with AddressSanitizer and
# UndefinedBehaviorSanitizer; only the fuzz executables link libFuzzer's main. Without the option
# the same harnesses still build as plain replay programs (see tests/fuzz/CMakeLists.txt).
option(QINGLAN_FUZZ "Build the libFuzzer targets (clang only)" OFF)

if(QINGLAN_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "QINGLAN_FUZZ needs clang (CC=clang CXX=clang++)")
    endif()
    set(QINGLAN_FUZZ_SANITIZERS address,undefined)
    add_compile_options(-fsanitize=fuzzer-no-link,${QINGLAN_FUZZ_SANITIZERS}
                        -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g)
    add_link_options(-fsanitize=${QINGLAN_FUZZ_SANITIZERS})
endif()

# libmdb as shipped by the distribution is not instrumented, so AddressSanitizer would not see
# it read past a page buffer. Point this at an mdbtools source tree of the installed version
#   git clone --branch v1.0.0 https://github.com/mdbtools/mdbtools
# and the fuzz executables carry their own instrumented copy of libmdb, whose definitions take
# precedence over the shared library's.
set(QINGLAN_FUZZ_LIBMDB_SOURCE "" CACHE PATH "mdbtools source tree to build an instrumented libmdb from")

function(qinglan_instrumented_libmdb)
    if(NOT QINGLAN_FUZZ OR NOT QINGLAN_FUZZ_LIBMDB_SOURCE OR TARGET qinglan_fuzz_libmdb)
        return()
    endif()
    set(src ${QINGLAN_FUZZ_LIBMDB_SOURCE})
    set(gen ${CMAKE_BINARY_DIR}/fuzz-libmdb)
    set(PACKAGE mdbtools)
    set(VERSION 1.0.0)
    configure_file(${src}/include/mdbver.h.in ${gen}/mdbver.h @ONLY)
    foreach(f catalog file table data dump backend money sargs index like write stats map props
              worktable options iconv version rc4)
        list(APPEND sources ${src}/src/libmdb/${f}.c)
    endforeach()
    pkg_check_modules(FUZZ_GLIB REQUIRED IMPORTED_TARGET glib-2.0)
    add_library(qinglan_fuzz_libmdb OBJECT ${sources})
    # The installed mdbtools.h (found on the default path) describes the same structures.
    target_include_directories(qinglan_fuzz_libmdb PRIVATE ${gen} ${src}/include)
    target_compile_definitions(qinglan_fuzz_libmdb PRIVATE HAVE_ICONV=1 HAVE_G_MEMDUP=1
                                                           HAVE_FMEMOPEN=1 HAVE_VASPRINTF=1
                                                           TLS=__thread ICONV_CONST=)
    set_target_properties(qinglan_fuzz_libmdb PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
    target_compile_options(qinglan_fuzz_libmdb PRIVATE -w)
    target_link_libraries(qinglan_fuzz_libmdb PUBLIC PkgConfig::FUZZ_GLIB)
endfunction()
