#include "base/log_ring.h"

namespace {
const char kCutMark[] = " [line cut]";
}

LogRing::LogRing(std::size_t lines) : capacity_(lines > 0 ? lines : 1) {}

void LogRing::addToLine(const std::string& text, std::size_t from, std::size_t length) {
    if (cut_)
        return;
    const std::size_t room = kMaxLineBytes - partial_.size();
    if (length <= room) {
        partial_.append(text, from, length);
        return;
    }
    partial_.append(text, from, room);
    partial_ += kCutMark;
    cut_ = true;
}

void LogRing::append(const std::string& text) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            addToLine(text, start, text.size() - start);
            return;
        }
        addToLine(text, start, end - start);
        partial_ += '\n';
        // The finished line takes its slot; the slot's old buffer is reused for the next
        // line, so a full ring logs without allocating.
        if (lines_.size() < capacity_) {
            lines_.push_back(std::move(partial_));
        } else {
            lines_[next_].swap(partial_);
            next_ = (next_ + 1) % capacity_;
        }
        partial_.clear();
        cut_ = false;
        start = end + 1;
    }
}

std::string LogRing::text() const {
    std::string all;
    for (std::size_t i = 0; i < lines_.size(); ++i)
        all += lines_[(next_ + i) % lines_.size()];
    return all + partial_;
}
