// Linked into every test program. The font configuration library keeps its
// caches until the process ends; the leak checker of sanitized builds is told
// not to report them. Without the sanitizer nothing calls this.
extern "C" __attribute__((used)) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\n";
}
