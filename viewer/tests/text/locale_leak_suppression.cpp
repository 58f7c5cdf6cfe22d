// glibc keeps the search path it builds from LOCPATH when setlocale loads a
// locale from there, and never frees it; the comma-decimal locale tests load
// theirs that way. The leak sanitizer asks the program for suppressions
// through this function, which nothing else calls.

extern "C" const char* __lsan_default_suppressions() {
  return "leak:__argz_add_sep\n"
         "leak:__argz_create_sep\n";
}
