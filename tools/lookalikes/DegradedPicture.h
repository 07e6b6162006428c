#pragma once

#include <QImage>
#include <QString>

// What a picture of a page goes through on its way from the exam page to the recogniser when it
// is not a clean screenshot: the desktop or the page scales it down, a chat program recompresses
// it, or it is a photograph of the screen. The recogniser misreads such pictures otherwise than
// clean ones, and those misreadings are what users' pictures show.
class DegradedPicture {
public:
    enum class Kind {
        // Shrunk to 80% with smoothing: content drawn for a 125% desktop scale shown at 100%,
        // or a page zoomed out, which turns 14 to 16 px text into 11 to 13 px.
        Shrunk,
        // JPEG at quality 60, as chat programs send screenshots on (a picture that was
        // forwarded has been compressed more than once, which quality 60 stands for).
        Jpeg,
        // A photograph of the screen: a slight blur (Gaussian, sigma 0.8 px) and less contrast
        // (grey paper, dark grey ink), as a phone camera sees a monitor.
        Blurred,
    };

    // The picture after `kind`; a null picture when it cannot be made (no JPEG codec).
    static QImage apply(const QImage &picture, Kind kind);
    // The word the confusion counts use for `kind`: "shrunk", "jpeg", "blurred".
    static QString nameOf(Kind kind);
};
