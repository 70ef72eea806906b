// A tiny library that the platform tests load at run time.
extern "C" __attribute__((visibility("default"))) int VeskTestLibraryAnswer() {
  return 42;
}
