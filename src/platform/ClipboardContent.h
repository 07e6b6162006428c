#pragma once

#include <QImage>
#include <QString>

// What a read of the clipboard found. A picture is reported only when the clipboard offers no
// text at all, as the window's click-to-paste has always treated a picture.
struct ClipboardContent {
    enum class Kind { Text, Picture, Nothing, Failed };

    Kind kind = Kind::Nothing;
    QString text;    // Kind::Text; may be empty: an empty text still replaces the selection
    QImage picture;  // Kind::Picture
    QString message; // Kind::Failed: why, in words for the user
};
