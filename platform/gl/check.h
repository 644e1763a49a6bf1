// GL error checks for development builds. Release builds (NDEBUG) compile them
// out, so the per-draw path pays nothing for them.
#pragma once

namespace kl::gl {

// Reports (to standard error) any pending GL error with the place it was seen.
void ReportErrors(const char* file, int line);

// For calls that may fail at run time (storage that does not fit): drop what
// is pending before them, then ask whether any of them failed. Unlike the
// checks below these stay in release builds.
void ClearErrors();
bool HadErrors();

}  // namespace kl::gl

#ifdef NDEBUG
#define KL_GL_CHECK() ((void)0)
#else
#define KL_GL_CHECK() ::kl::gl::ReportErrors(__FILE__, __LINE__)
#endif
