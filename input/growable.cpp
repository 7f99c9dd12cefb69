#include "growable.h"

#include <cstdint>
#include <cstdio>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "params/exit_status.h"

void abort_on_failed_realloc()
{
  std::fputs("Program aborded due to failed realloc!\n", stderr);
  std::exit(exit_failed_realloc);
}

void advise_huge_pages(void *p, size_t n)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  const std::uintptr_t huge = std::uintptr_t(1) << 21;
  if (n < 2 * huge)
    return;
  const std::uintptr_t b = (reinterpret_cast<std::uintptr_t>(p) + huge - 1) & ~(huge - 1);
  const std::uintptr_t e = (reinterpret_cast<std::uintptr_t>(p) + n) & ~(huge - 1);
  if (b < e)
    madvise(reinterpret_cast<void *>(b), e - b, MADV_HUGEPAGE); // a refusal changes nothing
#else
  (void)p;
  (void)n;
#endif
}
