set(QINGLAN_UI_ABOUT_SOURCES
    ui/about/TForm2.cpp
)
