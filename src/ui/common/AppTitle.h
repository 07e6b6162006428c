#pragma once

#include <QString>

// The application title: the main window's caption and the caption of every error box.
inline QString appTitle()
{
    return QStringLiteral("青岚学堂答题器");
}
