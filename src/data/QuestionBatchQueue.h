#pragma once

#include "data/QuestionBatch.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

// Hands batches of rows from the reading thread to the building one and back again. A fixed
// number of batches go round, so the reader stays at most that far ahead and, once they have
// grown to size, nothing more is allocated.
class QuestionBatchQueue {
public:
    explicit QuestionBatchQueue(int batches);

    // Reader: an empty batch, waiting for one to come back; nullptr once the builder has given
    // up, as there is nobody to read for.
    std::unique_ptr<QuestionBatch> takeEmpty();
    void pushFull(std::unique_ptr<QuestionBatch> batch);
    // Reader: no more batches will come.
    void finish();

    // Builder: the next batch in order; nullptr once the reader has finished and all are taken.
    std::unique_ptr<QuestionBatch> takeFull();
    void giveBack(std::unique_ptr<QuestionBatch> batch);
    // Builder: it stops taking batches (it failed).
    void abandon();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::unique_ptr<QuestionBatch>> m_empty;
    std::deque<std::unique_ptr<QuestionBatch>> m_full;
    bool m_finished = false;
    bool m_abandoned = false;
};
