#include "gl/submission_queue.h"

#include <GL/glcorearb.h>

namespace kl::gl {
namespace {

constexpr GLuint64 kWaitNanoseconds = 10'000'000'000;

}  // namespace

void SubmissionQueue::Submit() {
    fences_.push_back(glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0));
    glFlush();
    while (fences_.size() > maxUnfinished_) {
        GLsync oldest = static_cast<GLsync>(fences_.front());
        glClientWaitSync(oldest, GL_SYNC_FLUSH_COMMANDS_BIT, kWaitNanoseconds);
        glDeleteSync(oldest);
        fences_.pop_front();
    }
}

void SubmissionQueue::Clear() {
    for (void* fence : fences_) glDeleteSync(static_cast<GLsync>(fence));
    fences_.clear();
}

}  // namespace kl::gl
