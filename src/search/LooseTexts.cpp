#include "search/LooseTexts.h"

#include "search/LooseText.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace {

bool holdsPair(QStringView text, char16_t first, char16_t second)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == first && text[i + 1] == second)
            return true;
    }
    return false;
}

// The pairs a loose form derived by dropping holds beyond its folded text's pairs: where
// dropping joined two units, and the end pair when the folded text ends in a dropped unit.
void addJoinedPairs(QStringView folded, QStringView loose, const std::vector<qsizetype> &joins,
                    std::vector<quint32> &keys)
{
    const qsizetype n = loose.size();
    for (const qsizetype k : joins) {
        if (k == n) {
            keys.push_back(PairLists::key(loose[n - 1].unicode(), 0));
            continue;
        }
        const char16_t first = loose[k - 1].unicode(), second = loose[k].unicode();
        // The folded lists already hold the row under a pair it also has as neighbours.
        if (!holdsPair(folded, first, second))
            keys.push_back(PairLists::key(first, second));
    }
}

} // namespace

void LooseTexts::append(QStringView folded, QStringView loose)
{
    // A folded text with a NUL is stored as well: its pairs with the NUL would share their key
    // with the end pairs (unit, U+0000), and no list built on the folded ones could tell them
    // apart. Bank files hold no NUL in text, so this costs nothing there.
    if (!looseByDropping(folded, m_check, &m_joins) || m_check != loose ||
        folded.contains(QChar(0))) {
        m_storedRows.push_back(quint32(m_rows));
        m_stored.append(loose);
        PairLists::addTextPairs(loose, m_beyondKeys);
    } else {
        addJoinedPairs(folded, m_check, m_joins, m_beyondKeys);
    }
    // Collected now, while the row is at hand: listing them later meant dropping the marks of
    // every folded text twice more.
    m_beyondStart.push_back(quint32(m_beyondKeys.size()));
    ++m_rows;
    m_maxLength = qMax(m_maxLength, loose.size());
}

void LooseTexts::attach(std::shared_ptr<const PackedTexts> folded)
{
    if (!folded || folded->size() != m_rows)
        throw std::logic_error("LooseTexts: folded texts of another table");
    m_folded = std::move(folded);
    m_stored.shrinkToFit();
    m_storedRows.shrink_to_fit();
    m_check = QString();
    m_joins = {};
}

QStringView LooseTexts::text(qsizetype row, QString &scratch) const
{
    const auto it = std::lower_bound(m_storedRows.begin(), m_storedRows.end(), quint32(row));
    if (it != m_storedRows.end() && *it == quint32(row))
        return m_stored.at(it - m_storedRows.begin());
    // Checked when the row was appended: dropping gives exactly its loose form.
    looseByDropping(m_folded->at(row), scratch);
    return scratch;
}

PairLists LooseTexts::takePairsBeyondFolded()
{
    const std::vector<quint32> keys = std::exchange(m_beyondKeys, {});
    const std::vector<quint32> start = std::exchange(m_beyondStart, {0});
    return PairLists(m_rows, [&](qsizetype row, std::vector<quint32> &out) {
        out.assign(keys.begin() + start[std::size_t(row)],
                   keys.begin() + start[std::size_t(row) + 1]);
    });
}

std::vector<std::pair<quint32, quint32>> LooseTexts::storedRowsInFoldedPairs() const
{
    std::vector<quint32> all, keys;
    for (const quint32 row : m_storedRows) {
        keys.clear();
        PairLists::addTextPairs(m_folded->at(row), keys);
        std::sort(keys.begin(), keys.end());
        keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
        all.insert(all.end(), keys.begin(), keys.end());
    }
    std::sort(all.begin(), all.end());
    std::vector<std::pair<quint32, quint32>> counts;
    for (const quint32 key : all) {
        if (counts.empty() || counts.back().first != key)
            counts.emplace_back(key, 0);
        ++counts.back().second;
    }
    return counts;
}

std::size_t LooseTexts::bytes() const
{
    return m_storedRows.capacity() * sizeof(quint32) + m_stored.bytes();
}
