// GL error checks for development builds. Release builds (NDEBUG) compile them
// out, so the per-draw path pays nothing for them.
#pragma once

namespace kl::gl {

// Reports (to standard error) any pending GL error with the place it was seen.
void ReportErrors(const char* file, int line);

}  // namespace kl::gl

#ifdef NDEBUG
#define KL_GL_CHECK() ((void)0)
#else
#define KL_GL_CHECK() ::kl::gl::ReportErrors(__FILE__, __LINE__)
#endif
