#include "number2cstring.h"

#include <cstdio>

// One per thread: records reported on several threads format numbers at once.
static thread_local char number_buffer[50];

const char *number2str(float x)
{
  std::snprintf(number_buffer, sizeof number_buffer, "%g", static_cast<double>(x));
  return number_buffer;
}

const char *number2str(double x)
{
  std::snprintf(number_buffer, sizeof number_buffer, "%lg", x);
  return number_buffer;
}

const char *number2str(unsigned x)
{
  std::snprintf(number_buffer, sizeof number_buffer, "%u", x);
  return number_buffer;
}

const char *number2str(int x)
{
  std::snprintf(number_buffer, sizeof number_buffer, "%d", x);
  return number_buffer;
}
