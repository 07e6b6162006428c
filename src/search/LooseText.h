#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <vector>

#include <vector>

// The loose form under which copied text still meets the bank's text: compatibility forms
// folded (NFKC: full-width letters, digits and punctuation, U+3000 and U+00A0 become their plain
// forms), letter case folded, then every blank, line break, punctuation mark, bracket, underscore
// and invisible format character removed. What is left are the words of the question.
QString looseText(QStringView text);

// The loose form of a copied fragment: as looseText, after dropping a question number that a
// page shows before the question ("12、", "12.", "(12)", "[12].", "第12题", "【12】"). A bare
// number without a mark stays: questions start with years and figures. A number before a full
// stop goes even when a digit follows ("41．2016年", "3.5倍"): the rest is still part of the
// question, so dropping it can only widen the search, never lose the question.
// Stops early, with a result longer than stopAfter, once the loose form grows past it: a
// fragment longer than every question cannot match, and a pasted book must not be normalised
// whole on each keystroke. A negative stopAfter reads the whole fragment.
QString looseFragment(QStringView fragment, qsizetype stopAfter = -1);

// The text without the units that the loose form drops, written to `out`; false, with `out`
// unspecified, when a unit would be changed rather than kept or dropped (a capital, a surrogate).
// For most folded question texts this is their loose form, but not for all (NFKC may change a
// unit or a sequence), so a caller must compare with looseText once before relying on it.
// With `joins`, also the places in `out` where dropped units stood after a kept one: before
// out[k], or at out.size() when the text ends in them. Only there does `out` hold neighbours
// that were not neighbours in `text`.
bool looseByDropping(QStringView text, QString &out, std::vector<qsizetype> *joins = nullptr);

// For each unit of looseText(text), the index in `text` of the character it comes from, so that
// a place found in the loose form can be shown in the text as written. Each character is taken
// alone, which is exact for all but combining sequences.
QList<qsizetype> looseSourceIndexes(QStringView text);
