#include "search/PairCountingThread.h"

namespace {

// Rows per batch, and batches waiting at most: the reader runs ahead by a few megabytes of text
// at most, and a small bank is counted without a thread at all.
constexpr qsizetype kBatchRows = 4096;
constexpr std::size_t kMostWaiting = 8;

} // namespace

PairCountingThread::~PairCountingThread()
{
    if (!m_thread.joinable())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_closed = true;
        m_abandoned = true; // the rows will not be used: reading failed or was given up
    }
    m_changed.notify_all();
    m_thread.join();
}

void PairCountingThread::add(QStringView folded, QStringView loose)
{
    m_filling.folded.append(folded);
    m_filling.loose.append(loose);
    if (m_filling.folded.size() >= kBatchRows)
        handOver();
}

void PairCountingThread::handOver()
{
    if (!m_thread.joinable())
        m_thread = std::thread([this] { run(); });
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_queue.size() < kMostWaiting; });
    m_queue.push_back(std::move(m_filling));
    lock.unlock();
    m_changed.notify_all();
    m_filling = Batch();
}

void PairCountingThread::count(const Batch &batch)
{
    for (qsizetype row = 0; row < batch.folded.size(); ++row) {
        m_folded.add(batch.folded.at(row));
        m_loose.add(batch.loose.at(row));
    }
}

void PairCountingThread::run()
{
    for (;;) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_closed || !m_queue.empty(); });
        if (m_queue.empty() || m_abandoned)
            return;
        Batch batch = std::move(m_queue.front());
        m_queue.pop_front();
        const bool counting = !m_failure;
        lock.unlock();
        m_changed.notify_all();
        // After a failure the batches are still taken, so that the reader never waits for
        // room; finish() reports the failure.
        if (!counting)
            continue;
        try {
            count(batch);
        } catch (...) {
            const std::lock_guard relock(m_mutex);
            m_failure = std::current_exception();
        }
    }
}

std::pair<BigramIndex::Counter, BigramIndex::Counter> PairCountingThread::finish()
{
    if (m_thread.joinable()) {
        {
            const std::lock_guard lock(m_mutex);
            m_closed = true;
        }
        m_changed.notify_all();
        m_thread.join();
        if (m_failure)
            std::rethrow_exception(m_failure);
    }
    // The last, partly filled batch (all of a small bank) is counted here.
    count(m_filling);
    m_filling = Batch();
    return {std::move(m_folded), std::move(m_loose)};
}
