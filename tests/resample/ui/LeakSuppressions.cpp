// The system's font configuration library keeps caches it never frees; the leak checker of the
// sanitizer build is told to ignore them.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }
