#include "CFile.h"

#include <sys/stat.h>

#include <vector>

#include <zlib.h>

// Inflates gzip members one after the other, as gzip itself does: bgzip
// writes a genome as thousands of small members and an empty last one.
// Whatever ends before a member's end mark, or fails its checks (a changed
// byte fails the CRC at the latest), is damage, never a shorter genome.
class gzip_inflater
{
public:
  // The compressed bytes already read while looking for the gzip magic.
  gzip_inflater(const char *first, std::streamsize n) : compressed(CFile::buffer_size)
  {
    init_ok = inflateInit2(&z, 16 + MAX_WBITS) == Z_OK;
    if (!init_ok)
      damage = CFile::corrupt;
    std::copy(first, first + n, compressed.begin());
    z.next_in = compressed.data();
    z.avail_in = static_cast<uInt>(n);
  }
  ~gzip_inflater()
  {
    if (init_ok)
      inflateEnd(&z);
  }
  gzip_inflater(const gzip_inflater &) = delete;
  gzip_inflater &operator=(const gzip_inflater &) = delete;

  // Fills `to` as far as the stream goes; 0 at its end or after damage.
  std::streamsize inflate_into(std::istream &source, char *to, std::streamsize want)
  {
    if (damage != CFile::not_damaged)
      return 0;
    z.next_out = reinterpret_cast<Bytef *>(to);
    z.avail_out = static_cast<uInt>(want);
    while (z.avail_out > 0) {
      if (z.avail_in == 0) {
        source.read(reinterpret_cast<char *>(compressed.data()),
                    static_cast<std::streamsize>(compressed.size()));
        z.next_in = compressed.data();
        z.avail_in = static_cast<uInt>(source.gcount());
        if (z.avail_in == 0) {
          if (!between_members)
            damage = CFile::truncated;
          break;
        }
      }
      if (between_members) {
        inflateReset(&z);
        between_members = false;
      }
      const int result = ::inflate(&z, Z_NO_FLUSH);
      if (result == Z_STREAM_END)
        between_members = true;
      else if (result != Z_OK) {
        damage = CFile::corrupt;
        break;
      }
    }
    return want - static_cast<std::streamsize>(z.avail_out);
  }

  CFile::damage_kind damage = CFile::not_damaged;

private:
  std::vector<Bytef> compressed;
  z_stream z{};
  bool init_ok = false;
  bool between_members = false;
};

CFile::CFile() : std::ifstream(), data_end(buffer), read_pos(buffer), state(fail_bit), line(1) {}

CFile::CFile(const char *name) : CFile() { open(name); }

CFile::~CFile() = default;

void CFile::open(const char *name)
{
  // A directory opens as a stream on Linux but yields no bytes; it is no
  // more an input file than a missing one.
  struct stat st;
  if (stat(name, &st) == 0 && S_ISDIR(st.st_mode)) {
    open_path(nullptr);
    return;
  }
  open_path(name);
}

void CFile::open_standard_input() { open_path(system_path("-").c_str()); }

void CFile::open_path(const char *path)
{
  if (is_open())
    close();
  clear();
  gzip.reset();
  data_end = read_pos = buffer;
  state = fail_bit;
  line = 1;
  if (!path)
    return;
  std::ifstream::open(path, std::ios::in);
  if (std::ifstream::fail() || std::ifstream::bad())
    return;
  state = good_bit;
  // The first block tells plain text from gzip; a pipe cannot be rewound,
  // so the bytes read for that are kept either way.
  const std::streamsize n = read_raw(buffer, buffer_size);
  if (n >= 2 && static_cast<unsigned char>(buffer[0]) == 0x1f &&
      static_cast<unsigned char>(buffer[1]) == 0x8b)
    gzip.reset(new gzip_inflater(buffer, n));
  else
    data_end = buffer + n;
}

std::streamsize CFile::inflate(char *to, std::streamsize want) { return gzip->inflate_into(*this, to, want); }

CFile::damage_kind CFile::damage() const { return gzip ? gzip->damage : not_damaged; }

CFile::damage_kind CFile::damage_in_rest()
{
  if (!gzip)
    return not_damaged;
  while (inflate(buffer, buffer_size) > 0)
    ;
  data_end = read_pos = buffer;
  state = fail_bit;
  return damage();
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
