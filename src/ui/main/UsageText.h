#pragma once

#include <QStringList>

// The five lines the input box starts with: how to copy a question.
QStringList usageLines();
