#include "series.h"

#include <cstdio>
#include <malloc.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define GUSHMIRE_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GUSHMIRE_ASAN 1
#endif
#endif
#ifdef GUSHMIRE_ASAN
// The sanitizer runtime's count of bytes allocated and not yet freed; gcc
// ships no header that declares it.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

long SeriesStepBound(int width, int height) {
  const long w = width;
  const long h = height;
  return 10L * (w + 40) + 2L * (h + w) + 20;
}

std::size_t ResidentKiB() {
  std::FILE *file = std::fopen("/proc/self/statm", "r");
  if (file == nullptr) {
    return 0;
  }
  unsigned long total = 0;
  unsigned long resident = 0;
  const int read = std::fscanf(file, "%lu %lu", &total, &resident);
  std::fclose(file);
  if (read != 2) {
    return 0;
  }
  return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) / 1024;
}

std::size_t HeapBytes() {
#ifdef GUSHMIRE_ASAN
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

bool ResidentIsMeaningful() {
#ifdef GUSHMIRE_ASAN
  return false;
#else
  return true;
#endif
}
