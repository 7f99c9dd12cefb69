// Buffered character source for the FASTA reader: one stream call per
// megabyte block, one-character push-back across refills, CR/LF/CRLF folded
// into LF and a running line number for error messages. A gzip file (also
// bgzip, which is gzip in many members) is recognised by its first bytes
// and inflated block by block as it is read; line numbers count lines of
// the uncompressed text.
#ifndef TORVIX_INPUT_CFILE_H
#define TORVIX_INPUT_CFILE_H

#include <cstddef>
#include <fstream>
#include <memory>
#include <string>

class gzip_inflater;

class CFile : public std::ifstream
{
public:
  enum : unsigned char { eof_bit = 1, good_bit = 2, fail_bit = 4 };
  static const unsigned buffer_size = 1000000;
  // What went wrong inside a gzip stream. Either leaves the reader failed
  // without eof for good, so that no record cut short by it is processed.
  enum damage_kind : unsigned char { not_damaged, truncated, corrupt };

private:
  char buffer[buffer_size];
  char *data_end;
  char *read_pos;
  unsigned char state;
  unsigned line;
  std::unique_ptr<gzip_inflater> gzip; // null for plain text

  // Loads the next block. The byte handed out last is kept in front of the
  // block so that ungetchar() can always step back once.
  bool refill()
  {
    char *start = buffer;
    std::streamsize want = buffer_size;
    if (read_pos != buffer) {
      buffer[0] = read_pos[-1];
      ++start;
      --want;
    }
    std::streamsize n = gzip ? inflate(start, want) : read_raw(start, want);
    if (n == 0)
      state = damage() == not_damaged ? eof_bit | fail_bit : fail_bit;
    read_pos = start;
    data_end = start + n;
    return !(state & fail_bit);
  }

public:
  // A CFile that is not open reads as a failed one.
  CFile();
  explicit CFile(const char *name);
  ~CFile();
  void open(const char *name);
  void open_standard_input();
  CFile(const CFile &) = delete;
  CFile &operator=(const CFile &) = delete;

  // Next raw byte: no line-end folding, no line counting; 0 at end of input.
  unsigned getchar_intern()
  {
    if (read_pos == data_end && !refill())
      return 0;
    return static_cast<unsigned char>(*read_pos++);
  }

  unsigned getchar()
  {
    if (read_pos == data_end && !refill())
      return 0;
    char c = *read_pos++;
    if (static_cast<signed char>(c) > 13)
      return static_cast<unsigned char>(c);
    return getchar_slow(c);
  }

  // The bytes buffered from the read position on, for a reader that takes
  // plain characters (above 13, which getchar hands out unchanged) in bulk;
  // skip(n) then consumes n of them.
  const char *buffered(std::size_t &n) const
  {
    n = static_cast<std::size_t>(data_end - read_pos);
    return read_pos;
  }
  void skip(std::size_t n) { read_pos += n; }

  void ungetchar()
  {
    if (read_pos == buffer) {
      refuse_pushback();
      return;
    }
    if (read_pos[-1] == '\n' && !(state & fail_bit))
      --line;
    --read_pos;
  }

  unsigned peekchar()
  {
    unsigned c = getchar();
    ungetchar();
    return c;
  }

  bool good() const { return state == good_bit; }
  bool eof() const { return state & eof_bit; }
  bool fail() const { return state & fail_bit; }
  unsigned get_state() const { return state; }
  unsigned line_number() const { return line; }
  void set_fail() { state = fail_bit; }
  // Keeps eof, drops fail: a header cut off by the end of the file is still
  // a record. A header cut off by damage is not.
  void clear_fail()
  {
    if (damage() == not_damaged)
      state &= static_cast<unsigned char>(~fail_bit);
  }
  bool compressed() const { return gzip != nullptr; }
  damage_kind damage() const;
  // A damaged stream can also show as text that is not FASTA before zlib
  // notices: the reader then inflates the rest, unused, to find out which it
  // was. Nothing more can be read afterwards.
  damage_kind damage_in_rest();
  // What the damage means, for the message that names the file.
  const char *damage_text() const
  {
    return damage() == truncated ? "a truncated gzip file: its compressed data ends too early"
                                 : "a damaged gzip file: its compressed data is corrupt";
  }

  // "-" names standard input on the command line.
  static bool is_standard_input(const std::string &name) { return name == "-"; }
  // The name under which the system knows the input, for telling whether
  // another name leads to the same file.
  static std::string system_path(const std::string &name)
  {
    return is_standard_input(name) ? "/dev/stdin" : name;
  }

private:
  void open_path(const char *path);
  std::streamsize read_raw(char *to, std::streamsize want)
  {
    std::ifstream::read(to, want);
    return std::ifstream::gcount();
  }
  std::streamsize inflate(char *to, std::streamsize want);
  unsigned getchar_slow(char c);
  void refuse_pushback() { state = static_cast<unsigned char>((state | fail_bit) & ~good_bit); }
};

#endif
