#pragma once

#include <QString>

// Text and memo values as Jet 4 stores them: UTF-16LE, or the compressed form that starts with
// FF FE. Surrogate pairs pass through intact.
QString decodeJetText(const unsigned char *bytes, qsizetype length);
