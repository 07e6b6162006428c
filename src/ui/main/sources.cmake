set(QINGLAN_UI_MAIN_SOURCES
    ui/main/TForm1.cpp
    ui/main/MemoBox.cpp
    ui/main/MemoFiller.cpp
    ui/main/UsageText.cpp
    ui/main/AnswerBox.cpp
    ui/main/ClipboardWatcher.cpp
    ui/main/MatchStepper.cpp
    ui/main/BannerStrip.cpp
    ui/main/SiteProbe.cpp
    ui/main/BodyRestyle.cpp
)
# Pictures and icons, relative to resources/.
set(QINGLAN_UI_RESOURCES
    icons/qinglan-64.png
    banner/banner.jpg
)
