// Preference files as FLTK 1.1's reader can take them. Its reader trusts the
// file: a group line without "./", a line without colon that a later line
// gives a value, a continuation line without a value to continue, an escape
// cut off at the end of a value, or a key or group name longer than its name
// buffer crashes the program or overwrites its memory; and it skips the
// first three lines unread, whatever they hold. So every file is checked
// here first, and the store reads a cleaned copy of it, never the file.
#ifndef TORVIX_GUI_PREFS_FILE_H
#define TORVIX_GUI_PREFS_FILE_H

#include <memory>
#include <string>

class Fl_Preferences;

// Longest line that the store's reader takes whole; it cuts longer ones
// silently, and a cut file name can lead to another file.
const unsigned longest_readable_line = 1022;

struct prefs_text_check {
  enum problem { none, overlong_line, not_text, unreadable_line };
  problem found = none;
  // The first line with the problem, counted from 1.
  unsigned line = 0;
  // Without a problem: the store's header, then every group line in the
  // store's own spelling and every entry and continuation line, without
  // comments, blank lines or line-end carriage returns.
  std::string cleaned;
};

// Hand-written forms that mean one thing (groups without "./", short or
// missing headers, carriage returns) are taken; anything else is a problem.
prefs_text_check check_prefs_text(const std::string &file_text);

// A store read from a private copy of a cleaned text; the copy is removed
// with the object.
class prefs_copy
{
public:
  explicit prefs_copy(const std::string &cleaned);
  ~prefs_copy();
  prefs_copy(const prefs_copy &) = delete;
  prefs_copy &operator=(const prefs_copy &) = delete;

  // Null when no copy could be written.
  Fl_Preferences *store() const { return store_.get(); }

private:
  std::string path_;
  std::unique_ptr<Fl_Preferences> store_;
};

#endif
