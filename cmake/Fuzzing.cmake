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
