// Small helpers shared by the unit tests: scratch files, captured output and
// the text of a growable buffer.
#ifndef TORVIX_TESTS_TEST_SUPPORT_H
#define TORVIX_TESTS_TEST_SUPPORT_H

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "input/growable.h"

// A file in a private temporary folder, removed with the object.
class scratch_file
{
public:
  explicit scratch_file(const std::string &content)
  {
    char tmpl[] = "/tmp/torvix-test-XXXXXX";
    dir = mkdtemp(tmpl);
    path = dir + "/file.fa";
    FILE *f = std::fopen(path.c_str(), "wb");
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
  }
  ~scratch_file() { std::system(("rm -rf '" + dir + "'").c_str()); }
  scratch_file(const scratch_file &) = delete;
  scratch_file &operator=(const scratch_file &) = delete;
  const char *c_str() const { return path.c_str(); }

  std::string dir, path;
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
