set(QINGLAN_UI_ABOUT_SOURCES
    ui/about/TForm2.cpp
    ui/about/ClickLabel.cpp
)
# The dialog's pictures, relative to resources/; compiled into the windows' resource file.
list(APPEND QINGLAN_UI_RESOURCES
    about/logo.png
    about/alipay-qr.png
    about/wechat-qr.png
)
