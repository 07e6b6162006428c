set(QINGLAN_PLATFORM_SOURCES
    platform/WebEngineSandbox.cpp
    platform/StartPage.cpp
    platform/DefaultStartPageStore.cpp
    platform/Terminal.cpp
    platform/SessionEndWatcher.cpp
)
# The registry store is plain Win32; elsewhere the start page lives in a settings file.
if(WIN32)
    list(APPEND QINGLAN_PLATFORM_SOURCES platform/RegistryStartPageStore.cpp)
else()
    list(APPEND QINGLAN_PLATFORM_SOURCES platform/XdgStartPageStore.cpp
                                         platform/PosixSignalWatcher.cpp)
endif()
