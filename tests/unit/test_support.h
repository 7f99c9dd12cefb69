// Small helpers shared by the unit tests.
#ifndef TORVIX_TESTS_TEST_SUPPORT_H
#define TORVIX_TESTS_TEST_SUPPORT_H

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

// A file in a private temporary folder, removed with the object.
class scratch_file
{
public:
  explicit scratch_file(const std::string &content, const char *suffix = ".fa")
  {
    char tmpl[] = "/tmp/torvix-test-XXXXXX";
    dir = mkdtemp(tmpl);
    path = dir + "/file" + suffix;
    FILE *f = std::fopen(path.c_str(), "wb");
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
  }
  ~scratch_file() { std::system(("rm -rf '" + dir + "'").c_str()); }
  scratch_file(const scratch_file &) = delete;
  scratch_file &operator=(const scratch_file &) = delete;
  const char *c_str() const { return path.c_str(); }

  std::string dir;
  std::string path;
};

// Everything written to a stream by fn, as text.
template <class F> std::string captured_output(F fn)
{
  FILE *f = std::tmpfile();
  fn(f);
  std::fflush(f);
  std::string s;
  std::rewind(f);
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
    s.append(buf, n);
  std::fclose(f);
  return s;
}

#endif
