// Font lookup keeps a few blocks in the font library's caches for the life of
// the process; the leak checker is told to ignore them.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
