#pragma once

#include "search/BigramIndex.h"
#include "search/InternedTexts.h"
#include "search/LooseMatcher.h"
#include "search/LooseTexts.h"
#include "search/PackedTexts.h"
#include "search/Question.h"

#include <memory>
#include <optional>
#include <vector>

// The rows of the table 问题 in storage order, held compactly, with the question texts folded
// once and indexed for the lookup.
class QuestionTable {
public:
    class Builder {
    public:
        void append(QStringView subject, QStringView text, QStringView options, QStringView answer);
        // The same with the question's folded and loose forms (foldText, looseText) made by the
        // caller, which may make them on another thread meanwhile.
        void appendForms(QStringView subject, QStringView text, QStringView options,
                         QStringView answer, QStringView folded, QStringView loose);
        QuestionTable build();

    private:
        InternedTexts m_subjects, m_answers;
        PackedTexts m_texts, m_options, m_folded;
        LooseTexts m_loose; // for the tolerant passes
        std::vector<quint8> m_textForms;
    };

    static QuestionTable fromRows(const QList<Question> &rows);

    qsizetype size() const { return m_subjects.size(); }
    Question row(qsizetype row) const;
    // The last row whose question text contains the fragment; the fragment is compared after
    // folding (see TextFold), an empty one matches nothing.
    std::optional<Question> findLast(const QString &fragment) const;
    qsizetype findLastRow(const QString &fragment) const;
    const BigramIndex &index() const { return *m_index; }
    // The tolerant passes, for a fragment that the literal lookup does not find.
    const LooseMatcher &looseMatcher() const { return *m_loose; }
    std::size_t bytes() const;

private:
    QuestionTable() = default;
    QString text(qsizetype row) const;

    // A question text is kept as its folded copy in the index and, in m_texts, what folding
    // changed: nothing, the changed units as (position, unit) pairs (full-width brackets and a
    // few capitals are what most texts have), or the whole text when that is shorter.
    enum TextForm : quint8 { Folded, Patched, Whole };
    InternedTexts m_subjects, m_answers;
    PackedTexts m_texts, m_options;
    std::vector<quint8> m_textForms;
    std::shared_ptr<const PackedTexts> m_folded; // shared by both indexes
    std::unique_ptr<BigramIndex> m_index;
    std::unique_ptr<LooseMatcher> m_loose;
};
