#include "prefs_file.h"

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

#include <FL/Fl_Preferences.H>

namespace {

// The store copies key names and group paths into a name buffer of 128 bytes
// without looking at its size.
const std::string::size_type longest_name = 127;

bool is_octal(char c) { return c >= '0' && c <= '7'; }

// The store's decoder reads three digits after a backslash that a digit
// follows, and one character after any other; an escape cut short makes it
// read past the end of the value.
bool escapes_complete(const std::string &value)
{
  for (std::string::size_type i = 0; i < value.size(); ++i) {
    if (value[i] != '\\')
      continue;
    if (i + 1 == value.size())
      return false;
    const char next = value[i + 1];
    if (next >= '0' && next <= '9') {
      if (i + 3 >= value.size() || !is_octal(next) || !is_octal(value[i + 2]) || !is_octal(value[i + 3]))
        return false;
      i += 3;
    } else
      ++i;
  }
  return true;
}

bool is_text(const std::string &line)
{
  for (const char c : line)
    if ((static_cast<unsigned char>(c) < ' ' && c != '\t') || c == 0x7f)
      return false;
  return true;
}

} // namespace

prefs_text_check check_prefs_text(const std::string &file_text)
{
  prefs_text_check result;
  result.cleaned = "; FLTK preferences file format 1.0\n; vendor: torvix\n; application: torvix\n";
  auto problem = [&](prefs_text_check::problem p, unsigned line) {
    result.found = p;
    result.line = line;
    result.cleaned.clear();
    return result;
  };
  // The value being read, with its continuations, and the line it began on;
  // no entry is open after a group line.
  bool entry_open = false;
  std::string value;
  unsigned entry_line = 0;

  unsigned number = 0;
  std::string::size_type start = 0;
  while (start < file_text.size()) {
    std::string::size_type end = file_text.find('\n', start);
    if (end == std::string::npos)
      end = file_text.size();
    std::string line = file_text.substr(start, end - start);
    start = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (line.size() > longest_readable_line)
      return problem(prefs_text_check::overlong_line, number);
    if (!is_text(line))
      return problem(prefs_text_check::not_text, number);
    if (line.empty() || line[0] == ';' || line[0] == '#')
      continue;

    if (line[0] == '+') {
      if (!entry_open)
        return problem(prefs_text_check::unreadable_line, number);
      value += line.substr(1);
      result.cleaned += line + '\n';
      continue;
    }
    if (entry_open && !escapes_complete(value))
      return problem(prefs_text_check::unreadable_line, entry_line);
    entry_open = false;

    if (line[0] == '[') {
      const std::string::size_type close = line.find(']');
      if (close == std::string::npos || line.find_first_not_of(" \t", close + 1) != std::string::npos)
        return problem(prefs_text_check::unreadable_line, number);
      std::string name = line.substr(1, close - 1);
      if (name.compare(0, 2, "./") == 0)
        name.erase(0, 2);
      if (name.empty() || name == ".") {
        result.cleaned += "[.]\n";
        continue;
      }
      const std::string path = "./" + name;
      if (path.size() > longest_name)
        return problem(prefs_text_check::unreadable_line, number);
      result.cleaned += "[" + path + "]\n";
      continue;
    }

    const std::string::size_type colon = line.find(':');
    if (colon == std::string::npos || colon > longest_name)
      return problem(prefs_text_check::unreadable_line, number);
    entry_open = true;
    entry_line = number;
    value = line.substr(colon + 1);
    result.cleaned += line + '\n';
  }
  if (entry_open && !escapes_complete(value))
    return problem(prefs_text_check::unreadable_line, entry_line);
  return result;
}

prefs_copy::prefs_copy(const std::string &cleaned)
{
  char name[] = "/tmp/torvix-prefs-XXXXXX";
  const int fd = mkstemp(name);
  if (fd < 0)
    return;
  path_ = name;
  FILE *f = fdopen(fd, "w");
  const bool written = f && std::fwrite(cleaned.data(), 1, cleaned.size(), f) == cleaned.size();
  if (f ? std::fclose(f) != 0 : close(fd) != 0)
    return;
  if (written)
    store_ = std::make_unique<Fl_Preferences>(path_.c_str(), "torvix", nullptr);
}

prefs_copy::~prefs_copy()
{
  // The store writes its copy back when it is destroyed.
  store_.reset();
  if (!path_.empty())
    std::remove(path_.c_str());
}
