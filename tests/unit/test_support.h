// Small helpers shared by the unit tests: scratch files, captured output and
// the text of a growable buffer.
#ifndef TORVIX_TESTS_TEST_SUPPORT_H
#define TORVIX_TESTS_TEST_SUPPORT_H

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

#include "input/growable.h"

// A file holding content, removed with the object.
struct scratch_file {
  explicit scratch_file(const std::string &content)
  {
    char tmpl[] = "/tmp/torvix-test-XXXXXX";
    ::close(mkstemp(tmpl));
    path = tmpl;
    std::ofstream(path, std::ios::binary) << content;
  }
  ~scratch_file() { std::remove(path.c_str()); }
  const char *c_str() const { return path.c_str(); }
  std::string path;
};

// Everything written to a stream by fn, as text.
template <class F> std::string captured_output(F fn)
{
  FILE *f = std::tmpfile();
  fn(f);
  std::string s(static_cast<size_t>(std::ftell(f)), '\0');
  std::rewind(f);
  s.resize(std::fread(&s[0], 1, s.size(), f));
  std::fclose(f);
  return s;
}

inline std::string text(const faststring &s) { return std::string(s.begin(), s.end()); }

#endif
