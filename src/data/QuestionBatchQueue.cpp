#include "data/QuestionBatchQueue.h"

QuestionBatchQueue::QuestionBatchQueue(int batches)
{
    for (int i = 0; i < batches; ++i)
        m_empty.push_back(std::make_unique<QuestionBatch>());
}

std::unique_ptr<QuestionBatch> QuestionBatchQueue::takeEmpty()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_abandoned || !m_empty.empty(); });
    if (m_abandoned)
        return nullptr;
    std::unique_ptr<QuestionBatch> batch = std::move(m_empty.back());
    m_empty.pop_back();
    return batch;
}

void QuestionBatchQueue::pushFull(std::unique_ptr<QuestionBatch> batch)
{
    {
        const std::lock_guard lock(m_mutex);
        m_full.push_back(std::move(batch));
    }
    m_changed.notify_all();
}

void QuestionBatchQueue::finish()
{
    {
        const std::lock_guard lock(m_mutex);
        m_finished = true;
    }
    m_changed.notify_all();
}

std::unique_ptr<QuestionBatch> QuestionBatchQueue::takeFull()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_finished || !m_full.empty(); });
    if (m_full.empty())
        return nullptr;
    std::unique_ptr<QuestionBatch> batch = std::move(m_full.front());
    m_full.pop_front();
    return batch;
}

void QuestionBatchQueue::giveBack(std::unique_ptr<QuestionBatch> batch)
{
    batch->clear();
    {
        const std::lock_guard lock(m_mutex);
        m_empty.push_back(std::move(batch));
    }
    m_changed.notify_all();
}

void QuestionBatchQueue::abandon()
{
    {
        const std::lock_guard lock(m_mutex);
        m_abandoned = true;
    }
    m_changed.notify_all();
}
