// Critical sections: recursive locks. The platform's mutex lives on the heap,
// referenced from the structure's LockSemaphore field.
#include <windows.h>

#include <mutex>

namespace {

std::recursive_mutex* LockOf(LPCRITICAL_SECTION section) {
    return static_cast<std::recursive_mutex*>(section->LockSemaphore);
}

}  // namespace

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    *lpCriticalSection = CRITICAL_SECTION{};
    lpCriticalSection->LockSemaphore = new std::recursive_mutex;
}

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    LockOf(lpCriticalSection)->lock();
    ++lpCriticalSection->RecursionCount;
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    --lpCriticalSection->RecursionCount;
    LockOf(lpCriticalSection)->unlock();
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    delete LockOf(lpCriticalSection);
    lpCriticalSection->LockSemaphore = nullptr;
}
