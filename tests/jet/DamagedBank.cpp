#include "DamagedBank.h"

#include <QTest>
#include <QtEndian>

#include <optional>

namespace {

constexpr qsizetype kPage = 4096;

quint32 get32(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

void put32(QByteArray &b, qsizetype at, quint32 value)
{
    qToLittleEndian(value, b.data() + at);
}

int get16(const QByteArray &b, qsizetype at)
{
    return quint8(b[at]) | quint8(b[at + 1]) << 8;
}

// Where the row `pointer` (page << 8 | row) of a long-value page starts in the file.
std::optional<qsizetype> longValueRowAt(const QByteArray &bank, quint32 pointer)
{
    const qsizetype page = qsizetype(pointer >> 8) * kPage;
    const int row = int(pointer & 0xFF);
    if (page <= 0 || page + kPage > bank.size() || bank.mid(page + 4, 4) != "LVAL" ||
        row >= get16(bank, page + 12))
        return std::nullopt;
    return page + (get16(bank, page + 14 + 2 * row) & 0x1FFF);
}

QList<quint32> allLongValueRows(const QByteArray &bank)
{
    QList<quint32> rows;
    for (qsizetype page = kPage; page + kPage <= bank.size(); page += kPage) {
        if (bank.mid(page + 4, 4) != "LVAL")
            continue;
        for (int row = 0; row < get16(bank, page + 12); ++row)
            rows << (quint32(page / kPage) << 8 | quint32(row));
    }
    return rows;
}

// The memo header (length word, then the pointer) of the value whose chain starts at `first`.
qsizetype memoHeaderOf(const QByteArray &bank, quint32 first)
{
    QByteArray pointer(4, '\0');
    put32(pointer, 0, first);
    for (qsizetype at = bank.indexOf(pointer, 4); at >= 0; at = bank.indexOf(pointer, at + 1)) {
        // A chained memo's length word carries no kind bits, and it stands on a data page of
        // the question table: not a long-value page, not one of the catalogue (page 2's).
        const qsizetype page = (at - 4) / kPage * kPage;
        if (bank[page] == 0x01 && bank.mid(page + 4, 4) != "LVAL" && get32(bank, page + 4) != 2 &&
            (get32(bank, at - 4) & 0xFF000000u) == 0)
            return at - 4;
    }
    return -1;
}

} // namespace

QList<QList<quint32>> DamagedBank::chains(const QByteArray &bank)
{
    const QList<quint32> rows = allLongValueRows(bank);
    QList<quint32> linkedTo;
    for (quint32 row : rows) {
        if (const auto at = longValueRowAt(bank, row))
            linkedTo << get32(bank, *at);
    }
    QList<QList<quint32>> result;
    for (quint32 row : rows) {
        const auto at = longValueRowAt(bank, row);
        // A first link: it points on, and no row points at it.
        if (!at || get32(bank, *at) == 0 || linkedTo.contains(row))
            continue;
        QList<quint32> chain{row};
        for (auto next = longValueRowAt(bank, row);
             next && get32(bank, *next) != 0 && chain.size() <= rows.size();
             next = longValueRowAt(bank, chain.back()))
            chain << get32(bank, *next);
        result << chain;
    }
    return result;
}

QByteArray DamagedBank::loopChains(const QByteArray &bank, Loop loop, quint32 declaredLength)
{
    QByteArray damaged = bank;
    const QList<QList<quint32>> found = chains(bank);
    if (found.isEmpty()) {
        QTest::qFail("the bank holds no chain of long-value rows", __FILE__, __LINE__);
        return bank;
    }
    for (const QList<quint32> &chain : found) {
        const qsizetype header = memoHeaderOf(bank, chain.front());
        const auto last = longValueRowAt(bank, loop == Loop::Self ? chain.front() : chain.back());
        if (header < 0 || !last) {
            QTest::qFail("a chain's memo header was not found", __FILE__, __LINE__);
            return bank;
        }
        put32(damaged, *last, chain.front());
        put32(damaged, header, declaredLength);
    }
    return damaged;
}

QByteArray DamagedBank::shareFirstChain(const QByteArray &bank)
{
    const QList<QList<quint32>> found = chains(bank);
    const qsizetype first = found.size() >= 2 ? memoHeaderOf(bank, found[0].front()) : -1;
    const qsizetype second = found.size() >= 2 ? memoHeaderOf(bank, found[1].front()) : -1;
    if (first < 0 || second < 0) {
        QTest::qFail("the bank holds no two chained memos", __FILE__, __LINE__);
        return bank;
    }
    QByteArray damaged = bank;
    put32(damaged, second, get32(bank, first));
    put32(damaged, second + 4, found[0].front());
    return damaged;
}

QByteArray DamagedBank::retypeColumn(const QByteArray &bank, int column, int type, int length)
{
    QByteArray damaged = bank;
    // The question table's definition: a definition page other than the catalogue's (page 2).
    for (qsizetype page = 3 * kPage; page + kPage <= bank.size(); page += kPage) {
        if (bank[page] != 0x02)
            continue;
        // Column entries of 25 bytes follow the 63-byte header and 12 bytes per index.
        const qsizetype columns = page + 63 + 12 * qsizetype(get32(bank, page + 51));
        for (int c = 0; c < get16(bank, page + 45); ++c) {
            const qsizetype entry = columns + 25 * c;
            if (get16(bank, entry + 5) != column)
                continue;
            damaged[entry] = char(type);
            if (length >= 0) {
                damaged[entry + 23] = char(length & 0xFF);
                damaged[entry + 24] = char(length >> 8);
            }
            return damaged;
        }
    }
    QTest::qFail("the column was not found in the table definition", __FILE__, __LINE__);
    return bank;
}
