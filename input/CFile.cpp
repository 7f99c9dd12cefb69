#include "CFile.h"

#include <sys/stat.h>

CFile::CFile() : std::ifstream(), data_end(buffer), read_pos(buffer), state(fail_bit), line(1) {}

CFile::CFile(const char *name) : CFile() { open(name); }

void CFile::open(const char *name)
{
  if (is_open())
    close();
  clear();
  data_end = read_pos = buffer;
  state = good_bit;
  line = 1;
  // A directory opens as a stream on Linux but yields no bytes; it is no
  // more an input file than a missing one.
  struct stat st;
  if (stat(name, &st) == 0 && S_ISDIR(st.st_mode)) {
    state = fail_bit;
    return;
  }
  std::ifstream::open(name, std::ios::in);
  if (std::ifstream::fail() || std::ifstream::bad())
    state = fail_bit;
}

unsigned CFile::getchar_slow(char c)
{
  if (state & fail_bit)
    return static_cast<unsigned char>(c);
  if (c == '\r') {
    // Overwritten so that a pushed-back CR comes out as LF without a second fold.
    read_pos[-1] = '\n';
    unsigned next = getchar_intern();
    if (next != '\n' && !(state & fail_bit)) {
      if (read_pos != buffer)
        --read_pos;
      else
        refuse_pushback();
    }
    ++line;
    return '\n';
  }
  if (c == '\n')
    ++line;
  return static_cast<unsigned char>(c);
}
