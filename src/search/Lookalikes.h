#pragma once

#include <QtGlobal>

// Which replaced characters the tolerant lookup may take for misreadings. Exam questions that
// differ in one character are usually different questions with different answers (越大 and
// 越小, 三级 and 四级), so only a character that an eye or a recogniser confuses with the
// bank's one counts: a look-alike by the glyphs of common Chinese faces (土/士, 未/末, 己/已,
// 侯/候, or the same main component beside another radical: 属/嘱, 精/睛), or a pair the
// recogniser itself confuses on pictures of text. Even then, a change between two number words,
// or to or from a negation, or between the two words of an opposite pair, changes what the
// question asks.
class Lookalikes {
public:
    // Whether the copy may show `copied` where the bank's text has `bank` because it was
    // misread. False for equal characters.
    static bool canBeMisread(char16_t bank, char16_t copied);
    // Whether the look-alike table lists the two characters.
    static bool areLookalike(char16_t a, char16_t b);
    // Whether replacing one by the other changes the meaning whatever the glyphs.
    static bool changesMeaning(char16_t a, char16_t b);
};
