# A portable program: `cmake --install build --prefix DIR` lays out a folder the user can write
# to; the bank, pictures and icon are embedded, so nothing else is read from it at run time.
install(TARGETS qinglan-dati RUNTIME DESTINATION .)
install(PROGRAMS ${PROJECT_SOURCE_DIR}/packaging/install-desktop-entry DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/qinglan-dati.desktop.in DESTINATION share)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/qinglan-48.png
              ${PROJECT_SOURCE_DIR}/resources/icons/qinglan-64.png
        DESTINATION share/icons)

set(CPACK_PACKAGE_NAME qinglan-dati)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME "qinglan-dati-${PROJECT_VERSION}-Linux-${CMAKE_SYSTEM_PROCESSOR}")
set(CPACK_GENERATOR TGZ)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
