#pragma once

#include <QString>

// Access-made sample files for the reader tests. They live outside the repository (folder in
// QINGLAN_JET4_FIXTURES); tests skip when it is absent.
namespace JetFixtures {

// Full path of a sample file, or an empty string when it is not available.
QString path(const QString &name);
// Copies a sample file to `target` (writable); false when the sample is missing.
bool copyTo(const QString &name, const QString &target);
// Stores another database password in the header of a Jet 4 file, the way Access masks it.
void setDatabasePassword(const QString &file, const QString &password);

} // namespace JetFixtures
