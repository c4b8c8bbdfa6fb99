// Linked into the test programs that scan from SANE's test device, and preloaded into the
// scanimage they run for reference pictures.
//
// That device makes its picture in a reader thread which switches itself to asynchronous
// cancellation, and sane_cancel (or the end of sane_read) stops it with pthread_cancel and joins
// it. Asynchronous cancellation may strike anywhere, also inside malloc: a reader cancelled while
// its first allocation sets up its heap arena dies holding that arena's lock, then blocks on the
// same lock when it frees its thread cache on the way out, and the join in sane_cancel never
// returns. A device error makes this likely: the failing sane_read returns at once, so the cancel
// reaches the reader just as it starts. The scan then never ends and the test hangs.
//
// This definition takes the place of the C library's for the dynamically loaded backend (the
// test programs export it) and keeps every thread on deferred cancellation: the reader then stops at
// its next write to the pipe or sleep, which the test device reaches at once.
#include <dlfcn.h>
#include <pthread.h>

#include <cerrno>

extern "C" int pthread_setcanceltype(int, int* oldType)
{
    using TSetCancelType = int (*)(int, int*);
    static const auto next = reinterpret_cast<TSetCancelType>(::dlsym(RTLD_NEXT, "pthread_setcanceltype"));
    if (next == nullptr) return ENOSYS;
    return next(PTHREAD_CANCEL_DEFERRED, oldType);
}
