#pragma once

#include <QString>

#include <map>

// The four-corner codes of the Unihan database (kFourCornerCode, Unicode's
// Unihan_DictionaryLikeData.txt, shipped by Debian's unicode-data): a dictionary's code of the
// stroke shapes at a character's four corners, one digit each, and a fifth for the stroke just
// above the lower right corner. Drawn by people from the printed character, not from any face,
// so it is a source of its own beside the glyph distances.
class FourCornerCodes {
public:
    // Reads the uncompressed file; false when it cannot be read or holds no codes.
    bool load(const QString &path);

    // The full code ("2600.0"), or an empty string when the character has none or only the four
    // main digits: without the fifth, two codes say less about the character's inside.
    QString fullCode(char16_t c) const;

    std::size_t size() const { return m_codes.size(); }

private:
    std::map<char16_t, QString> m_codes;
};
