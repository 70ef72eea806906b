// A tiny library that the platform tests load at run time.
#if defined(_WIN32)
#define VESK_TEST_EXPORT __declspec(dllexport)
#else
#define VESK_TEST_EXPORT __attribute__((visibility("default")))
#endif

extern "C" VESK_TEST_EXPORT int VeskTestLibraryAnswer() {
  return VESK_TEST_LIBRARY_ANSWER;
}
