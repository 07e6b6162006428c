#pragma once

#include "search/QuestionTable.h"

#include <QString>

#include <array>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

// Hands the rows that the Jet reader decodes to a second thread, which folds them into a
// QuestionTable::Builder while the reader goes on with the next pages: reading and folding a
// bank then take the time of the slower of the two rather than of both. Rows travel in
// batches, so that the threads meet once per few thousand rows, and only a few batches wait
// at a time, so that a reader faster than the folding does not hold the decoded bank twice.
class QuestionRowsFeed {
public:
    explicit QuestionRowsFeed(QuestionTable::Builder &builder);
    // Without finish(), as when the reader fails: the folding stops and the thread is joined.
    ~QuestionRowsFeed();

    QuestionRowsFeed(const QuestionRowsFeed &) = delete;
    QuestionRowsFeed &operator=(const QuestionRowsFeed &) = delete;

    // The row's texts are shared, not copied. Rethrows what the folding thread threw.
    void add(const QString &subject, const QString &text, const QString &options,
             const QString &answer);
    // Waits until every row added is in the builder; rethrows what the folding thread threw.
    void finish();

private:
    using Row = std::array<QString, 4>;
    using Batch = std::vector<Row>;

    void send();
    void fold();
    void stop();

    QuestionTable::Builder &m_builder;
    Batch m_filling;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Batch> m_waiting;
    bool m_noMore = false;
    std::exception_ptr m_failure;
    std::thread m_folder;
};
