// One FASTA record: header, name/description split, and the sequence in the
// normalised alphabet A, C, G, T, N that the search engine works on.
#ifndef TORVIX_INPUT_CSEQUENCE_MOL_H
#define TORVIX_INPUT_CSEQUENCE_MOL_H

#include <cstdio>

#include "CFile.h"
#include "growable.h"

class CSequence_Mol
{
public:
  faststring full_name;
  faststring name;
  faststring description;
  faststring seq;
  unsigned seq_type = 1;
  char ambig_char = 'N';
  unsigned number_of_ACGTU = 0;
  unsigned number_of_Ns = 0;
  unsigned number_of_gaps = 0;
  fastvector<unsigned> gap_positions;
  fastvector<unsigned> dash_positions;
  fastvector<unsigned> star_positions;

  static const unsigned initial_seq_capacity = 10000000;
  // Reports give positions as signed 32-bit numbers: longer records are refused.
  static const unsigned long long max_record_length = 2147483647ull;
  // Set by a read that stopped because the record outgrew max_record_length.
  bool too_long = false;

  CSequence_Mol() { seq.reserve(initial_seq_capacity); }
  CSequence_Mol(const CSequence_Mol &) = delete;
  CSequence_Mol &operator=(const CSequence_Mol &) = delete;

  // Both readers report their outcome only through the state of the CFile:
  // fail+eof = last record (valid), fail alone = format error.
  void readFastaSequence_toupper_ambig2N_removegaps(CFile &in);
  void readFastaSequence_toupper_ambig2N_gaps2N(CFile &in);
  void getLineOfDNA_toupper_ambig2N_removegaps(CFile &in, unsigned &position);
  void getLineOfDNA_toupper_ambig2N_gaps2N(CFile &in);
  void find_fastaname_and_description();

  // Length of the sequence as it stood in the file, gaps included.
  unsigned long long file_length() const
  {
    return (unsigned long long)number_of_ACGTU + number_of_Ns + number_of_gaps;
  }

  // Writes ">full_name" and the sequence with removed gaps and stars put back,
  // line_width bases a line.
  void writeSequence_fill_in_gaps_and_stars(FILE *out, unsigned line_width);

private:
  template <bool remove_gaps> void read_record(CFile &in);
  template <bool remove_gaps> void read_line(CFile &in, unsigned &position);
  bool read_header(CFile &in);
  void start_record();
  // Makes room for more bases, or marks the record too long and returns false.
  bool grow_sequence();
  bool length_exceeded() const { return file_length() > max_record_length; }
};

#endif
