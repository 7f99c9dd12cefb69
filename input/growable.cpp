#include "growable.h"

#include <cstdio>

#include "params/exit_status.h"

void abort_on_failed_realloc()
{
  std::fputs("Program aborded due to failed realloc!\n", stderr);
  std::exit(exit_failed_realloc);
}
