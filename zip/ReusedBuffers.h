#pragma once

#include <QByteArray>
#include <mutex>
#include <vector>

// Buffers kept from one file to the next: a fresh buffer costs a page fault for every few kilobytes
// written into it, which on a project of thousands of files is a good part of the time.

// Makes buffer size bytes long for overwriting: its content is not kept.
inline void ResizeForOverwrite(QByteArray &buffer, qsizetype size)
{
    if (buffer.capacity() < size || !buffer.isDetached())
        buffer = QByteArray(size, Qt::Uninitialized);
    else
        buffer.resize(size);
}

// Buffers that pass from the compression workers to the archive writer and back.
class BufferPool {
public:
    QByteArray Take(qsizetype size)
    {
        QByteArray buffer;
        {
            std::lock_guard guard(lock_);
            if (!free_.empty()) {
                buffer = std::move(free_.back());
                free_.pop_back();
            }
        }
        ResizeForOverwrite(buffer, size);
        return buffer;
    }
    void GiveBack(QByteArray buffer)
    {
        std::lock_guard guard(lock_);
        if (free_.size() < kKept)
            free_.push_back(std::move(buffer));
    }

private:
    static constexpr size_t kKept = 64;
    std::mutex lock_;
    std::vector<QByteArray> free_;
};
