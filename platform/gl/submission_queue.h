// Work handed to GL in pieces (frames, batches of draws), each closed by a
// fence, so that the CPU can wait once too many pieces are unfinished. GL
// itself has no such limit: queued work piles up with every buffer version
// and driver state it holds.
#pragma once

#include <cstddef>
#include <deque>

namespace kl::gl {

class SubmissionQueue {
public:
    explicit SubmissionQueue(size_t maxUnfinished) : maxUnfinished_(maxUnfinished) {}

    // On the context that queued the work: fences and flushes what was queued
    // since the last call, then waits while more than maxUnfinished pieces
    // are unfinished. A piece that has not finished after 10 s is given up on
    // (a hung driver must not hang the program).
    void Submit();
    // Deletes the fences without waiting, on the context that made them.
    void Clear();

private:
    size_t maxUnfinished_;
    std::deque<void*> fences_;  // GLsync, oldest first
};

}  // namespace kl::gl
