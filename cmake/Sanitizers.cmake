# Build everything with AddressSanitizer and UndefinedBehaviorSanitizer, for one run of the whole
# test suite: cmake -B build-asan -DQINGLAN_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
# Any undefined behaviour aborts the test that hit it instead of only printing a line.
option(QINGLAN_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

if(QINGLAN_SANITIZE AND NOT QINGLAN_FUZZ)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer -g)
    add_link_options(-fsanitize=address,undefined)
endif()
