// Buffered character source for the FASTA reader: one stream call per
// megabyte block, one-character push-back across refills, CR/LF/CRLF folded
// into LF and a running line number for error messages.
#ifndef TORVIX_INPUT_CFILE_H
#define TORVIX_INPUT_CFILE_H

#include <fstream>

class CFile : public std::ifstream
{
public:
  enum : unsigned char { eof_bit = 1, good_bit = 2, fail_bit = 4 };
  static const unsigned buffer_size = 1000000;

private:
  char buffer[buffer_size];
  char *data_end;
  char *read_pos;
  unsigned char state;
  unsigned line;

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
    std::ifstream::read(start, want);
    std::streamsize n = std::ifstream::gcount();
    if (n == 0)
      state = eof_bit | fail_bit;
    read_pos = start;
    data_end = start + n;
    return !(state & fail_bit);
  }

public:
  // A CFile that is not open reads as a failed one.
  CFile();
  explicit CFile(const char *name);
  void open(const char *name);
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
  // Keeps eof, drops fail: a header cut off by the end of the file is still a record.
  void clear_fail() { state &= static_cast<unsigned char>(~fail_bit); }

private:
  unsigned getchar_slow(char c);
  void refuse_pushback() { state = static_cast<unsigned char>((state | fail_bit) & ~good_bit); }
};

#endif
