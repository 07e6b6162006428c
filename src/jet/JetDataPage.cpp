#include "jet/JetDataPage.h"

#include "jet/JetFormat.h"

using namespace JetFormat;

JetDataPage::JetDataPage(quint32 owner) : m_page(kPageSize, '\0'), m_lowest(kPageSize)
{
    m_page[0] = kPageTypeData;
    m_page[1] = 0x01;
    put32(m_page, 4, owner);
    put16(m_page, 2, kPageSize - kDataPageHeader);
}

JetDataPage JetDataPage::longValuePage()
{
    return JetDataPage(get32("LVAL"));
}

bool JetDataPage::fits(qsizetype rowSize) const
{
    const qsizetype free = m_lowest - (kDataPageHeader + 2 * m_rows);
    return m_rows < kMaxRowsPerPage && free >= rowSize + 2;
}

int JetDataPage::add(const QByteArray &row)
{
    // There is no length field: a row ends where the previous one starts, so rows go in
    // exactly as long as they are.
    m_lowest -= int(row.size());
    m_page.replace(m_lowest, row.size(), row);
    put16(m_page, kDataPageHeader + 2 * m_rows, quint16(m_lowest));
    ++m_rows;
    put16(m_page, 12, quint16(m_rows));
    put16(m_page, 2, quint16(m_lowest - (kDataPageHeader + 2 * m_rows)));
    return m_rows - 1;
}
