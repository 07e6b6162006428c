#pragma once

#include <QByteArray>
#include <QString>

// Page 0 of a Jet 4 database: signature, version, the masked database password, sort order
// and creation date, with the block from 0x18 obfuscated by Jet's fixed RC4 key stream.
namespace JetHeaderPage {

QByteArray build(double creationDate, const QString &password, quint16 sortOrder);

} // namespace JetHeaderPage
