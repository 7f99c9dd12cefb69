#include "CSequence_Mol.h"

#include <cctype>

#include <emmintrin.h>

namespace {

// What one sequence character does to the record.
enum seq_class : unsigned char {
  sc_invalid = 0, // also byte 0, which the reader returns at end of input
  sc_base,        // A, C, G, T, U in either case: stored as upper-case ACGT
  sc_ambig,       // IUPAC ambiguity codes and '?': stored as N
  sc_dash,
  sc_star,
  sc_space,       // white space other than LF: ignored
  sc_newline,
};

struct class_table {
  unsigned char kind[256];
  char stored[256];
  class_table()
  {
    for (int c = 0; c < 256; ++c) {
      kind[c] = sc_invalid;
      stored[c] = 0;
    }
    for (const char *p = "ACGT"; *p; ++p)
      set(*p, sc_base, *p);
    set('U', sc_base, 'T');
    for (const char *p = "NXRYKMSWBDHV"; *p; ++p)
      set(*p, sc_ambig, 'N');
    set('?', sc_ambig, 'N');
    set('-', sc_dash, 0);
    set('*', sc_star, 0);
    for (int c = 1; c < 256; ++c)
      if (std::isspace(c))
        kind[c] = sc_space;
    kind[unsigned('\n')] = sc_newline;
  }
  void set(char upper, seq_class k, char out)
  {
    unsigned char u = static_cast<unsigned char>(upper);
    unsigned char l = static_cast<unsigned char>(std::tolower(u));
    kind[u] = kind[l] = k;
    stored[u] = stored[l] = out;
  }
};

const class_table classes;

// Most of a genome's lines are A, C, G, T and N of one case: those pass
// sixteen at a time, upper-cased, up to the first other byte (most often the
// line's LF), which the table then reads. Clearing bit 5 upper-cases a
// letter, and only a and A (and so on) come out as A. A block is stored
// whole; the bytes past the first other one are written again later.
std::size_t bulk_bases_and_Ns(const unsigned char *from, std::size_t n, char *to, char ambig_char,
                              unsigned &bases, unsigned &ambiguous)
{
  const __m128i case_bit = _mm_set1_epi8(static_cast<char>(0xDF));
  const __m128i A = _mm_set1_epi8('A'), C = _mm_set1_epi8('C'), G = _mm_set1_epi8('G');
  // N is stored as the record's ambiguity character; another one leaves N to
  // the table (bit 5 is never set in an upper-cased byte).
  const __m128i T = _mm_set1_epi8('T'), N = _mm_set1_epi8(ambig_char == 'N' ? 'N' : 0x20);
  std::size_t k = 0;
  while (k + 16 <= n) {
    const __m128i upper =
        _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(from + k)), case_bit);
    const __m128i acgt =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(upper, A), _mm_cmpeq_epi8(upper, C)),
                     _mm_or_si128(_mm_cmpeq_epi8(upper, G), _mm_cmpeq_epi8(upper, T)));
    const __m128i ns = _mm_cmpeq_epi8(upper, N);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(to + k), upper);
    const unsigned taken = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(acgt, ns)));
    // The bytes before the first other one; all 16 when there is none.
    const unsigned run = static_cast<unsigned>(__builtin_ctz(~taken | 0x10000u));
    unsigned n_mask = static_cast<unsigned>(_mm_movemask_epi8(ns)) & ((1u << run) - 1);
    unsigned n_count = 0;
    for (; n_mask; n_mask &= n_mask - 1)
      ++n_count;
    ambiguous += n_count;
    bases += run - n_count;
    k += run;
    if (run < 16)
      break;
  }
  return k;
}

} // namespace

// One sequence line up to and including its LF. Gaps are either removed, with
// their positions kept, or stored as N.
template <bool remove_gaps> void CSequence_Mol::read_line(CFile &in, unsigned &position)
{
  for (;;) {
    // Bases and ambiguity codes straight from the reader's buffer, as far
    // as the sequence has room; the rest one by one below.
    std::size_t n;
    const unsigned char *const from = reinterpret_cast<const unsigned char *>(in.buffered(n));
    if (n > seq.capacity - seq.length)
      n = seq.capacity - seq.length;
    char *const to = seq.data + seq.length;
    unsigned bases = 0, ambiguous = 0;
    std::size_t k = bulk_bases_and_Ns(from, n, to, ambig_char, bases, ambiguous);
    for (; k < n; ++k) {
      const unsigned char kind = classes.kind[from[k]];
      if (kind == sc_base) {
        to[k] = classes.stored[from[k]];
        ++bases;
      } else if (kind == sc_ambig) {
        to[k] = ambig_char;
        ++ambiguous;
      } else {
        break;
      }
    }
    in.skip(k);
    seq.length += static_cast<unsigned>(k);
    number_of_ACGTU += bases;
    number_of_Ns += ambiguous;
    position += static_cast<unsigned>(k);

    unsigned c = in.getchar();
    unsigned char kind = classes.kind[c];
    if (!remove_gaps && (kind == sc_dash || kind == sc_star))
      kind = sc_ambig;
    switch (kind) {
    case sc_base:
      if (seq.length == seq.capacity && !grow_sequence())
        return;
      seq.data[seq.length++] = classes.stored[c];
      ++number_of_ACGTU;
      ++position;
      break;
    case sc_ambig:
      if (seq.length == seq.capacity && !grow_sequence())
        return;
      seq.data[seq.length++] = ambig_char;
      ++number_of_Ns;
      ++position;
      break;
    case sc_dash:
    case sc_star:
      gap_positions.push_back(position);
      (kind == sc_dash ? dash_positions : star_positions).push_back(position);
      ++number_of_gaps;
      ++position;
      break;
    case sc_space:
      break;
    case sc_newline:
      return;
    default:
      if (!in.fail())
        in.set_fail();
      return;
    }
  }
}

void CSequence_Mol::getLineOfDNA_toupper_ambig2N_removegaps(CFile &in, unsigned &position)
{
  read_line<true>(in, position);
}

void CSequence_Mol::getLineOfDNA_toupper_ambig2N_gaps2N(CFile &in)
{
  unsigned position = 0;
  read_line<false>(in, position);
}

bool CSequence_Mol::grow_sequence()
{
  if (length_exceeded()) {
    too_long = true;
    return false;
  }
  seq.reserve(doubled(seq.capacity));
  return true;
}

void CSequence_Mol::start_record()
{
  full_name.clear();
  name.clear();
  description.clear();
  seq.clear();
  number_of_ACGTU = number_of_Ns = number_of_gaps = 0;
  // Also for converted gaps: a record never carries positions of another.
  gap_positions.clear();
  dash_positions.clear();
  star_positions.clear();
  too_long = false;
}

void CSequence_Mol::find_fastaname_and_description()
{
  const char *b = full_name.begin();
  const char *e = full_name.end();
  const char *space = b;
  while (space != e && *space != ' ')
    ++space;
  name.assign(b, space);
  if (space == e) {
    description.clear();
    return;
  }
  const char *d = space;
  while (d != e && *d == ' ')
    ++d;
  description.assign(d, e);
}

// Steps up to and through the header line. Returns false when the call must
// end without a sequence (format error, or nothing after a lone '>').
bool CSequence_Mol::read_header(CFile &in)
{
  unsigned c = in.getchar();
  while (!in.fail() && std::isspace(static_cast<int>(c)))
    c = in.getchar();

  if (c == '#' && !in.fail()) {
    for (;;) {
      while (in.good() && c != '\n')
        c = in.getchar();
      c = in.getchar();
      while (!in.fail() && std::isspace(static_cast<int>(c)))
        c = in.getchar();
      if (in.fail() || c != '#')
        break;
    }
    if (!in.fail() && c != '>') {
      in.set_fail();
      return false;
    }
  }

  if (in.fail() || c != '>') {
    in.set_fail();
    return false;
  }

  for (c = in.getchar(); !in.fail() && c != '\n'; c = in.getchar())
    full_name.push_back(static_cast<char>(c));

  if (in.fail()) {
    if (full_name.empty())
      return false;
    in.clear_fail();
  }
  find_fastaname_and_description();
  return true;
}

template <bool remove_gaps> void CSequence_Mol::read_record(CFile &in)
{
  start_record();
  if (!read_header(in))
    return;
  // Positions count from the start of every record, across its lines.
  unsigned position = 0;
  unsigned c = in.peekchar();
  while (!in.fail() && c != '>') {
    read_line<remove_gaps>(in, position);
    // A bad character as the file's last byte leaves the reader failed; a
    // further peek would meet the end of the file and turn that failure into
    // a normal end.
    if (in.fail() || too_long || (too_long = length_exceeded()))
      return;
    c = in.peekchar();
  }
}

void CSequence_Mol::readFastaSequence_toupper_ambig2N_removegaps(CFile &in)
{
  read_record<true>(in);
}

void CSequence_Mol::readFastaSequence_toupper_ambig2N_gaps2N(CFile &in)
{
  read_record<false>(in);
}

void CSequence_Mol::writeSequence_fill_in_gaps_and_stars(FILE *out, unsigned line_width)
{
  std::fprintf(out, ">%s\n", full_name.c_str());

  // Bases are copied in runs between gap positions and line ends.
  const unsigned long long total = (unsigned long long)seq.length + gap_positions.length;
  unsigned gi = 0, di = 0, si = 0;
  const char *s = seq.data;
  unsigned long long p = 0;
  unsigned column = 0;
  while (p < total) {
    if (gi < gap_positions.length && gap_positions[gi] == p) {
      char g;
      if (di < dash_positions.length && dash_positions[di] == p) {
        g = '-';
        ++di;
      } else {
        g = '*';
        if (si < star_positions.length && star_positions[si] == p)
          ++si;
      }
      ++gi;
      std::fputc(g, out);
      ++p;
      ++column;
    } else {
      unsigned long long run_end = gi < gap_positions.length ? gap_positions[gi] : total;
      unsigned long long room = line_width - column;
      unsigned long long n = run_end - p < room ? run_end - p : room;
      std::fwrite(s, 1, n, out);
      s += n;
      p += n;
      column += static_cast<unsigned>(n);
    }
    if (column == line_width) {
      std::fputc('\n', out);
      column = 0;
    }
  }
  if (column != 0)
    std::fputc('\n', out);
}
