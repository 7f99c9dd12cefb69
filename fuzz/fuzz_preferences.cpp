// Arbitrary bytes as a preference file: the check either refuses the file
// with the line at fault, or hands on a text that it would take again
// unchanged, whose every line the store reads whole, and which the store
// reads without crashing, every value of every group included.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <FL/Fl_Preferences.H>

#include "gui/prefs_file.h"

namespace {

void check(bool ok, const char *what)
{
  if (!ok) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

const char header[] = "; FLTK preferences file format 1.0\n; vendor: torvix\n; application: torvix\n";

void check_lines(const std::string &cleaned)
{
  check(cleaned.compare(0, sizeof header - 1, header) == 0, "the cleaned text starts with the store's header");
  std::string::size_type start = sizeof header - 1;
  while (start < cleaned.size()) {
    const std::string::size_type end = cleaned.find('\n', start);
    check(end != std::string::npos, "every cleaned line ends with a line end");
    const std::string line = cleaned.substr(start, end - start);
    start = end + 1;
    check(!line.empty() && line.size() <= longest_readable_line, "cleaned lines are neither empty nor too long");
    check(line[0] != ';' && line[0] != '#', "no comment lines after the header");
    if (line[0] == '[')
      check(line == "[.]" || (line.compare(0, 3, "[./") == 0 && line.back() == ']' && line.size() <= 129),
            "groups are written from the root, short enough for the name buffer");
    else if (line[0] != '+')
      check(line.find(':') != std::string::npos && line.find(':') <= 127, "entries have a short key and a colon");
  }
}

// Reads every value of every group, as the front end reads its keys.
void read_all(Fl_Preferences &g, int depth)
{
  for (int i = 0; i < g.entries(); ++i) {
    char *value = nullptr;
    g.get(g.entry(i), value, "");
    std::free(value);
    char fixed[64];
    g.get(g.entry(i), fixed, "", sizeof fixed);
    int number;
    g.get(g.entry(i), number, 0);
  }
  for (int i = 0; i < g.groups() && depth < 64; ++i) {
    Fl_Preferences sub(g, g.group(i));
    read_all(sub, depth + 1);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  const prefs_text_check result = check_prefs_text(std::string(reinterpret_cast<const char *>(data), size));
  if (result.found != prefs_text_check::none) {
    check(result.line > 0 && result.cleaned.empty(), "a refused file names its line and hands on nothing");
    return 0;
  }
  check_lines(result.cleaned);
  const prefs_text_check again = check_prefs_text(result.cleaned);
  check(again.found == prefs_text_check::none && again.cleaned == result.cleaned, "the cleaned text is final");
  const prefs_copy copy(result.cleaned);
  if (copy.store())
    read_all(*copy.store(), 0);
  return 0;
}
