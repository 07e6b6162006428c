set(QINGLAN_PLATFORM_SOURCES
    platform/WebEngineSandbox.cpp
)
