// Read by the sanitizer runtimes at start-up, so every way of running the tests gets them.

extern "C" const char *__asan_default_options()
{
    return "detect_leaks=1:abort_on_error=0";
}

extern "C" const char *__ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}

// Leaks inside system libraries that the tests load but do not own.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig\n"
           "leak:libjack\n"
           "leak:libdbus\n"
           "leak:libglib\n";
}
