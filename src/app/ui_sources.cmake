set(QINGLAN_APP_UI_SOURCES
    app/ErrorGuard.cpp
    app/Fonts.cpp
    app/Application.cpp
)
