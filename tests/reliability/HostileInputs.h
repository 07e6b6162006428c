#pragma once

#include <QList>
#include <QString>

// Texts a user (or a clipboard) may put into the input box that the lookup must survive: huge
// pastes, control characters, broken UTF-16, bidirectional marks, quote floods and every
// character that a LIKE pattern would give a meaning to.
struct HostileInput {
    const char *name;
    QString text;
};

QList<HostileInput> hostileInputs();
