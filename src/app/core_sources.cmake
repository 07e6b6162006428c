set(QINGLAN_APP_CORE_SOURCES
    app/AppError.cpp
    app/ErrorText.cpp
    app/IniFile.cpp
    app/IniText.cpp
    app/IniNumber.cpp
    app/HomePageStep.cpp
)
