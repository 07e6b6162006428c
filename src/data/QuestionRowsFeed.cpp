#include "data/QuestionRowsFeed.h"

namespace {

// Large enough that handing a batch over costs nothing next to folding it, small enough that
// the folding thread starts on the first pages at once.
constexpr std::size_t kBatchRows = 8192;
constexpr std::size_t kMostWaiting = 4;

} // namespace

QuestionRowsFeed::QuestionRowsFeed(QuestionTable::Builder &builder)
    : m_builder(builder), m_folder([this] { fold(); })
{
    m_filling.reserve(kBatchRows);
}

QuestionRowsFeed::~QuestionRowsFeed()
{
    {
        // The reader gave up: what waits would only be folded to be thrown away.
        const std::lock_guard lock(m_mutex);
        m_waiting.clear();
    }
    stop();
}

void QuestionRowsFeed::add(const QString &subject, const QString &text, const QString &options,
                           const QString &answer)
{
    m_filling.push_back(Row{subject, text, options, answer});
    if (m_filling.size() == kBatchRows)
        send();
}

void QuestionRowsFeed::send()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_waiting.size() < kMostWaiting || m_failure; });
    if (m_failure)
        std::rethrow_exception(m_failure);
    m_waiting.push_back(std::move(m_filling));
    lock.unlock();
    m_changed.notify_all();
    m_filling = Batch();
    m_filling.reserve(kBatchRows);
}

void QuestionRowsFeed::fold()
{
    for (;;) {
        Batch batch;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return !m_waiting.empty() || m_noMore; });
            if (m_waiting.empty())
                return;
            batch = std::move(m_waiting.front());
            m_waiting.pop_front();
        }
        m_changed.notify_all();
        try {
            for (const Row &row : batch)
                m_builder.append(row[0], row[1], row[2], row[3]);
        } catch (...) {
            const std::lock_guard lock(m_mutex);
            m_failure = std::current_exception();
            m_waiting.clear();
            m_changed.notify_all();
            return;
        }
    }
}

void QuestionRowsFeed::stop()
{
    {
        const std::lock_guard lock(m_mutex);
        m_noMore = true;
    }
    m_changed.notify_all();
    if (m_folder.joinable())
        m_folder.join();
}

void QuestionRowsFeed::finish()
{
    if (!m_filling.empty())
        send();
    stop();
    if (m_failure)
        std::rethrow_exception(m_failure);
}
