#pragma once

#include "search/BigramIndex.h"
#include "search/PackedTexts.h"

#include <QStringView>

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

// Counts the pairs of both indexes (the folded texts and their loose forms) on a second thread
// while the rows are still being read and folded on the first: counting is half of building an
// index, and reading the file leaves the other core idle. Rows are handed over in batches.
class PairCountingThread {
public:
    PairCountingThread() = default;
    ~PairCountingThread();
    PairCountingThread(const PairCountingThread &) = delete;
    PairCountingThread &operator=(const PairCountingThread &) = delete;

    void add(QStringView folded, QStringView loose);
    // The counts of the folded texts and of the loose ones, once every row is counted; throws
    // what counting threw.
    std::pair<BigramIndex::Counter, BigramIndex::Counter> finish();

private:
    struct Batch {
        PackedTexts folded, loose;
    };
    void handOver();
    void count(const Batch &batch);
    void run();

    Batch m_filling;
    BigramIndex::Counter m_folded, m_loose;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Batch> m_queue;
    bool m_closed = false;
    bool m_abandoned = false;
    std::exception_ptr m_failure;
    std::thread m_thread;
};
