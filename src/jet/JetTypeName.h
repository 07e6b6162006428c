#pragma once

#include <QString>

// The name Access gives a column type (libmdb's type code), for messages about a bank's design.
QString jetTypeName(int type);
