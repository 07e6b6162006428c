#pragma once

#include <QByteArray>
#include <QList>

// Damage made on purpose in banks that WrittenBank wrote: memo chains bent into loops or shared
// between values, the way a file overwritten by chance or by hand can have them.
namespace DamagedBank {

enum class Loop {
    Self,     // the chain's first link points at itself
    PingPong, // the last link points back at the first
};

// Each chain of long-value rows in `bank` (the first link and the rows after it).
QList<QList<quint32>> chains(const QByteArray &bank);
// Bends every chain of `bank` into `loop` and makes each memo that starts one declare
// `declaredLength` bytes. Fails the calling test and returns the bank unchanged when it holds
// no chain or a chain's memo cannot be found.
QByteArray loopChains(const QByteArray &bank, Loop loop, quint32 declaredLength);
// Points the memo that starts the second chain at the first chain, so that two values claim
// the same long-value rows.
QByteArray shareFirstChain(const QByteArray &bank);

// Gives the column numbered `column` of the question table another type code and, when
// `length` is not negative, another declared length, as a design changed by hand would.
QByteArray retypeColumn(const QByteArray &bank, int column, int type, int length = -1);

} // namespace DamagedBank
