// Arbitrary bytes as a FASTA file: both read variants must end every record
// in a defined state, keep their counters consistent with the stored
// sequence, and the masked-file writer must put back exactly the gaps removed.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "input/CFile.h"
#include "input/CSequence_Mol.h"
#include "params/global-types-and-parameters.h"

namespace {

std::string scratch_path()
{
  static std::string path;
  if (path.empty())
    path = "/tmp/torvix-fuzz-reader-" + std::to_string(getpid()) + ".fa";
  return path;
}

void check(bool ok, const char *what)
{
  if (!ok) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

size_t written_size(CSequence_Mol &r)
{
  FILE *f = std::tmpfile();
  r.writeSequence_fill_in_gaps_and_stars(f, 80);
  long n = std::ftell(f);
  std::fclose(f);
  return static_cast<size_t>(n);
}

void read_every_record(const char *path, bool remove_gaps)
{
  // One reader and one record for all inputs, as in a run.
  static CFile in;
  static CSequence_Mol r;
  in.open(path);
  unsigned records = 0;
  while (!in.eof() && records < 100000) {
    if (remove_gaps)
      r.readFastaSequence_toupper_ambig2N_removegaps(in);
    else
      r.readFastaSequence_toupper_ambig2N_gaps2N(in);
    if (in.fail() && !in.eof())
      return;
    ++records;
    check(r.seq.length == r.number_of_ACGTU + r.number_of_Ns, "sequence length = ACGTU + N");
    for (unsigned i = 0; i < r.seq.length; ++i)
      check(r.seq[i] == 'A' || r.seq[i] == 'C' || r.seq[i] == 'G' || r.seq[i] == 'T' ||
                r.seq[i] == 'N',
            "only A, C, G, T, N are stored");
    if (remove_gaps) {
      check(r.gap_positions.size() == r.number_of_gaps, "one position per removed gap");
      check(r.dash_positions.size() + r.star_positions.size() == r.number_of_gaps,
            "every gap is a dash or a star");
      for (unsigned i = 1; i < r.gap_positions.size(); ++i)
        check(r.gap_positions[i - 1] < r.gap_positions[i], "gap positions ascend");
    } else {
      check(r.number_of_gaps == 0 && r.gap_positions.size() == 0, "converted gaps leave no positions");
    }
    // Header line, then the file's sequence length in lines of 80.
    const size_t total = r.seq.length + r.gap_positions.size();
    const size_t expected = 1 + r.full_name.length + 1 + total + (total + 79) / 80;
    r.full_name.c_str();
    if (std::strlen(r.full_name.data) == r.full_name.length)
      check(written_size(r) == expected, "the masked writer writes every base and gap once");
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  init_param();
  const std::string path = scratch_path();
  FILE *f = std::fopen(path.c_str(), "wb");
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  read_every_record(path.c_str(), true);
  read_every_record(path.c_str(), false);
  return 0;
}
