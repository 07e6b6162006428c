#pragma once

#include <QString>
#include <QStringView>

#include <cstddef>

// The texts a pair index searches, one per row. Some are held as they are, others are derived
// on demand from texts held elsewhere (the loose forms from the folded ones), so a text is read
// through a scratch string that the caller keeps for the duration of a walk.
class IndexTexts {
public:
    virtual ~IndexTexts() = default;

    virtual qsizetype size() const = 0;
    // At least as long as every text: fragments longer than this stand in no row.
    virtual qsizetype maxLength() const = 0;
    // The text of `row`, valid until scratch changes or this set of texts is gone.
    virtual QStringView text(qsizetype row, QString &scratch) const = 0;
    virtual std::size_t bytes() const = 0;
};
