// Thread-safe initialisation of function-local statics, as the compiler's code expects it. Each
// static has a guard: 0 before, -1 while one thread initialises it, then the epoch it was done
// in. A thread whose own epoch has seen a guard's epoch skips the call entirely.
#include <limits.h>
#include <windows.h>

namespace {

constexpr int kUninitialized = 0;
constexpr int kBeingInitialized = -1;
SRWLOCK lock = SRWLOCK_INIT;
CONDITION_VARIABLE done = CONDITION_VARIABLE_INIT;

}  // namespace

extern "C" {

int _Init_global_epoch = INT_MIN;
__declspec(thread) int _Init_thread_epoch = INT_MIN;

// Called when the guard is newer than this thread's epoch: returns with the guard at -1 when
// this thread is to initialise the static, else once another thread has done so.
void __cdecl _Init_thread_header(int* guard) {
    AcquireSRWLockExclusive(&lock);
    if (*guard == kUninitialized) {
        *guard = kBeingInitialized;
    } else {
        while (*guard == kBeingInitialized) {
            SleepConditionVariableSRW(&done, &lock, INFINITE, 0);
            if (*guard == kUninitialized) {  // the initialising thread threw: try again here
                *guard = kBeingInitialized;
                ReleaseSRWLockExclusive(&lock);
                return;
            }
        }
        _Init_thread_epoch = _Init_global_epoch;
    }
    ReleaseSRWLockExclusive(&lock);
}

void __cdecl _Init_thread_footer(int* guard) {
    AcquireSRWLockExclusive(&lock);
    ++_Init_global_epoch;
    *guard = _Init_global_epoch;
    _Init_thread_epoch = _Init_global_epoch;
    ReleaseSRWLockExclusive(&lock);
    WakeAllConditionVariable(&done);
}

void __cdecl _Init_thread_abort(int* guard) {
    AcquireSRWLockExclusive(&lock);
    *guard = kUninitialized;
    ReleaseSRWLockExclusive(&lock);
    WakeAllConditionVariable(&done);
}

}  // extern "C"
