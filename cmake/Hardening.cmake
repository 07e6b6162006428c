# Release builds carry the distribution's hardening: fortified libc calls, stack protector,
# position-independent executables and full RELRO (relocations resolved at load time, then the
# tables made read-only). Debug builds stay plain so that debuggers and sanitizers see the code
# as written (_FORTIFY_SOURCE needs optimisation anyway).
include(CheckPIESupported)
check_pie_supported(LANGUAGES C CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

set(QINGLAN_RELEASE_CONFIGS "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
# The Windows cross build is left as the toolchain makes it: its stack protector and fortify
# need libssp, which the packaging step does not ship. Sanitizer builds leave fortify out: its
# checked library calls bypass the sanitizers' interceptors.
if(NOT WIN32 AND NOT QINGLAN_FUZZ AND NOT QINGLAN_SANITIZE)
    # Re-defining _FORTIFY_SOURCE where the compiler already sets it would warn on every file.
    add_compile_options("$<${QINGLAN_RELEASE_CONFIGS}:-U_FORTIFY_SOURCE>"
                        "$<${QINGLAN_RELEASE_CONFIGS}:-D_FORTIFY_SOURCE=2>"
                        "$<${QINGLAN_RELEASE_CONFIGS}:-fstack-protector-strong>"
                        "$<${QINGLAN_RELEASE_CONFIGS}:-Wformat>"
                        "$<${QINGLAN_RELEASE_CONFIGS}:-Werror=format-security>")
    add_link_options("$<${QINGLAN_RELEASE_CONFIGS}:LINKER:-z,relro,-z,now>")
endif()
