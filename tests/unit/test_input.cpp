// The character reader and the FASTA reader: block boundaries, line ends,
// push-back, normalisation, gap bookkeeping and the masked-file writer.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <random>
#include <vector>

#include <zlib.h>

#include "run/run_files.h"
#include "input/CFile.h"
#include "engine_test.h"
#include "test_support.h"

namespace {

using InputTest = EngineTest;

const std::string A80(80, 'A');

// What a read left behind: "error at line N", or the record as
// "full name|name|description|sequence|gap positions", then " end" when it was the last.
std::string outcome(const CFile &in, const CSequence_Mol &r)
{
  if (in.fail() && !in.eof())
    return "error at line " + std::to_string(in.line_number());
  std::string s = text(r.full_name) + "|" + text(r.name) + "|" + text(r.description) + "|" + text(r.seq) + "|";
  for (unsigned i = 0; i < r.gap_positions.size(); ++i)
    s += (i ? " " : "") + std::to_string(r.gap_positions[i]);
  const unsigned state = in.get_state();
  return s + (state == CFile::good_bit ? "" : state == 5 ? " end" : " state " + std::to_string(state));
}

// content in gzip members of at most member_size bytes each, as bgzip cuts a
// file into members (0: one member).
std::string gzipped(const std::string &content, size_t member_size = 0)
{
  std::string out;
  size_t from = 0;
  do {
    const size_t n = member_size ? std::min(member_size, content.size() - from) : content.size();
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string member(deflateBound(&z, n), '\0');
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(content.data() + from));
    z.avail_in = static_cast<uInt>(n);
    z.next_out = reinterpret_cast<Bytef *>(&member[0]);
    z.avail_out = static_cast<uInt>(member.size());
    deflate(&z, Z_FINISH);
    member.resize(z.total_out);
    deflateEnd(&z);
    out += member;
    from += n;
  } while (from < content.size());
  return out;
}

} // namespace

TEST_F(InputTest, EveryByteIsReadOnceWithLineEndsFoldedEvenAcrossBlockBoundaries)
{
  const unsigned B = CFile::buffer_size;
  // 2.5 blocks of text with every kind of line end, at another offset in every block.
  std::string mix, folded;
  while (mix.size() < 2 * B + B / 2) {
    mix += "ACGT\r\nN>;\rT \t\nG";
    folded += "ACGT\nN>;\nT \t\nG";
  }
  const struct {
    std::string content, expected;
  } rows[] = {
      {"", ""},
      {std::string(B - 1, 'A') + "\r\nB", std::string(B - 1, 'A') + "\nB"}, // CR LF split by a refill
      {std::string(B - 1, 'A') + "\rCB", std::string(B - 1, 'A') + "\nCB"}, // lone CR at a block end
      {std::string(B, 'A') + "\nTG", std::string(B, 'A') + "\nTG"},         // push-back right after a refill
      {mix, folded},
  };
  // Plain, gzip in one member, and in members of bgzip's size, which end
  // at other places than the blocks of the reader.
  const size_t plain = SIZE_MAX, one_member = 0, bgzip_member = 65280;
  for (const auto &row : rows)
    for (size_t member_size : {plain, one_member, bgzip_member}) {
      scratch_file f(member_size == plain ? row.content : gzipped(row.content, member_size));
      CFile in(f.c_str());
      EXPECT_EQ(member_size != plain, in.compressed());
      size_t n = 0;
      unsigned line = 1;
      // Peeking before every character steps back once at every position,
      // block boundaries included, and must never count a line end.
      for (unsigned c = in.peekchar(); !in.fail(); c = in.peekchar(), ++n) {
        ASSERT_EQ(line, in.line_number()) << "peek counted a line end at byte " << n;
        ASSERT_EQ(c, in.getchar()) << "at byte " << n;
        ASSERT_EQ(row.expected[n], static_cast<char>(c)) << "byte lost or repeated at " << n;
        line += c == '\n';
        ASSERT_EQ(line, in.line_number()) << "at byte " << n;
      }
      EXPECT_EQ(row.expected.size(), n);
      EXPECT_EQ(5u, in.get_state());
      EXPECT_EQ(CFile::not_damaged, in.damage());
    }
}

// Guards against a damaged download read as a shorter genome: a gzip file cut
// anywhere, or with one byte changed, must end in the failed state without
// eof, whatever the reader has handed out before.
TEST_F(InputTest, ATruncatedOrCorruptGzipFileFailsWithoutEofAndNamesItsDamage)
{
  std::string text;
  for (unsigned i = 0; text.size() < 3 * CFile::buffer_size; ++i)
    text += ">r" + std::to_string(i) + "\nACGTTGCAAGGCTTAACCGT" + std::to_string(i * 7919u % 1000) + "\n";
  const std::string whole = gzipped(text), members = gzipped(text, 65280);
  std::string flipped = whole;
  flipped[flipped.size() / 2] ^= 0x10;
  const struct {
    std::string bytes;
    CFile::damage_kind damage;
  } rows[] = {
      {whole.substr(0, whole.size() / 2), CFile::truncated},
      {whole.substr(0, whole.size() - 4), CFile::truncated}, // only the length field missing
      {members.substr(0, members.size() / 2), CFile::truncated},
      {whole.substr(0, 1) + whole, CFile::not_damaged},      // no gzip magic: plain text
      {flipped, CFile::corrupt},
      {whole + "garbage", CFile::corrupt},
  };
  for (const auto &row : rows) {
    scratch_file f(row.bytes);
    CFile in(f.c_str());
    size_t n = 0;
    while (in.getchar() != 0)
      ++n;
    EXPECT_EQ(row.damage, in.damage()) << "after " << n << " bytes";
    if (row.damage != CFile::not_damaged) {
      EXPECT_EQ(unsigned(CFile::fail_bit), in.get_state());
      in.clear_fail();
      EXPECT_EQ(0u, in.getchar());
      EXPECT_EQ(unsigned(CFile::fail_bit), in.get_state()) << "damage must stay a failure";
    }
  }
}

// Guards against text that zlib has not yet found damaged being blamed on the
// FASTA format: the rest of the stream is checked when the reader fails.
TEST_F(InputTest, DamageBehindAFastaErrorIsFoundInTheRestOfTheStream)
{
  std::string text = ">r\nAC1GT\n";
  for (unsigned i = 0; text.size() < 2 * CFile::buffer_size; ++i)
    text += std::to_string(i * 2654435761u);
  std::string bytes = gzipped(text);
  bytes.resize(bytes.size() - 100);
  scratch_file damaged(bytes), intact(gzipped(text)), plain(text);
  const struct {
    const scratch_file &f;
    CFile::damage_kind damage;
  } rows[] = {{damaged, CFile::truncated}, {intact, CFile::not_damaged}, {plain, CFile::not_damaged}};
  for (const auto &row : rows) {
    CFile in(row.f.c_str());
    record.readFastaSequence_toupper_ambig2N_removegaps(in);
    EXPECT_EQ("error at line 2", outcome(in, record));
    EXPECT_EQ(CFile::not_damaged, in.damage()) << "nothing noticed yet";
    EXPECT_EQ(row.damage, in.damage_in_rest());
    EXPECT_EQ(2u, in.line_number());
  }
}

TEST_F(InputTest, AFinalCrIsReadOnceAndEndsTheInput)
{
  scratch_file lone_cr("A\r");
  CFile in(lone_cr.c_str());
  EXPECT_EQ('A', in.getchar());
  EXPECT_EQ('\n', in.getchar());
  EXPECT_EQ(5u, in.get_state()) << "the end is already known after a final CR";
}

TEST_F(InputTest, RecordsReadBackNormalisedWithTheirGapsOrFailAtTheOffendingLine)
{
  const struct {
    std::string content;
    const char *modes; // one letter per record read: r removes gaps, c turns them into N
    std::string outcome;
    std::string written = ""; // the last record as the masked-file writer puts it back
  } rows[] = {
      {">seq1  some text\nAC\n", "r", "seq1  some text|seq1|some text|AC| end"},
      {">seq2\tx\nAC\n", "r", "seq2\tx|seq2\tx||AC| end"}, // only a blank splits the header
      {">seq3   \nAC\n>next\n", "r", "seq3   |seq3||AC|"},
      {"> lead\n", "r", " lead||lead|| end"},
      {">r\nac-gu*n\n", "r", "r|r||ACGTN|2 5 end", ">r\nAC-GT*N\n"},
      {">r\nac-gu*n\n", "c", "r|r||ACNGTNN| end"},
      {">a\n" + A80 + "\n-C\n>b\nG-T\n", "r", "a|a||" + A80 + "C|80"},
      {">a\n" + A80 + "\n-C\n>b\nG-T\n", "rr", "b|b||GT|1 end"},
      // Found by fuzzing: converted gaps kept the gap positions of the record before.
      {">a\nA-C\n>b\n*K\n", "rc", "b|b||NN| end", ">b\nNN\n"},
      {">r\nuUacgtACGT\nNXRYKMSWBDHV?nxrykmswbdhv\n", "r", "r|r||TTACGTACGT" + std::string(25, 'N') + "| end"},
      {"\n  # a comment\n#another\n\n>r\nAC\n", "r", "r|r||AC| end"},
      {">r\nAC\n#late\n", "r", "error at line 3"},
      {"#c\nACGT\n", "r", "error at line 2"},
      {">last record", "r", "last record|last|record|| end", ">last record\n"},
      {">a\nAC\n>b\nGT", "rr", "b|b||GT| end"},
      {">a x\nAC\n>", "rr", "|||| end"}, // an empty unnamed record, not a copy of the one before
      {"  \n\n \t\n", "c", "error at line 4"},
      {">r\r\nAC>GT\r\n", "c", "error at line 2"},
      // Fault guarded: a '>' as the file's last byte, with no line end, was
      // taken for the normal end of the input.
      {">a\nACGT>", "r", "error at line 2"},
      {">a\nACGT>", "c", "error at line 2"},
      {"ACGT\n", "r", "error at line 1"},
      {">x\n" + A80 + A80 + "\n", "r", "x|x||" + A80 + A80 + "| end", ">x\n" + A80 + "\n" + A80 + "\n"},
      {">g\n-" + std::string(78, 'C') + "**G\nT-*-\n", "r", "g|g||" + std::string(78, 'C') + "GT|0 79 80 83 84 85 end",
       ">g\n-" + std::string(78, 'C') + "*\n*GT-*-\n"},
  };
  for (const auto &row : rows) {
    scratch_file f(row.content);
    CFile in(f.c_str());
    CSequence_Mol r;
    for (const char *m = row.modes; *m; ++m)
      *m == 'r' ? r.readFastaSequence_toupper_ambig2N_removegaps(in) : r.readFastaSequence_toupper_ambig2N_gaps2N(in);
    SCOPED_TRACE(row.content.substr(0, 40));
    EXPECT_EQ(row.outcome, outcome(in, r));
    if (in.fail() && !in.eof())
      continue;
    const std::string seq = text(r.seq);
    EXPECT_EQ(static_cast<unsigned>(std::count(seq.begin(), seq.end(), 'N')), r.number_of_Ns);
    EXPECT_EQ(seq.size() - r.number_of_Ns, r.number_of_ACGTU);
    EXPECT_EQ(r.gap_positions.size(), r.number_of_gaps);
    if (!row.written.empty()) {
      EXPECT_EQ(row.written, captured_output([&](FILE *o) { r.writeSequence_fill_in_gaps_and_stars(o, 80); }));
    }
  }
}

// Guards against a masked file named like a compressed file while it holds
// plain text, and against a change of the name of a plain input's masked file.
TEST_F(InputTest, TheMaskedFileDropsTheEndingOfACompressedInputOnlyAndFollowsMaskedFile)
{
  const struct {
    const char *input;
    bool compressed;
    const char *option, *expected;
  } rows[] = {
      {"reads.fa", false, "", "reads.fa.masked"},
      {"dir/x.fa.gz", true, "", "dir/x.fa.masked"},
      {"x.fa.bgz", true, "", "x.fa.masked"},
      {"x.fa.gz", false, "", "x.fa.gz.masked"}, // named .gz but plain: the plain rule
      {"genome", true, "", "genome.masked"},
      {".gz", true, "", ".gz.masked"},
      {"x.fa.gz", true, "m.fa", "m.fa"},
  };
  for (const auto &row : rows) {
    global_masked_filename = row.option;
    EXPECT_EQ(row.expected, masked_file_name(row.input, row.compressed)) << row.input;
  }
  global_masked_filename.clear();
}

// The reader takes bases and ambiguity codes in bulk from its buffer: checked
// against a character-by-character model on random lines that mix them with
// gaps, white space and CR line ends, in records that cross the reader's
// block boundaries and outgrow the sequence's first allocation.
TEST_F(InputTest, BulkReadRecordsEqualTheCharacterByCharacterModel)
{
  const struct {
    const char *fault;
    std::size_t length;
    char mode;         // r removes gaps, c turns them into N
    const char *plain; // what the long runs are made of
  } rows[] = {
      {"a base lost or doubled at a block boundary of the reader", 2500000, 'r', "ACGTacgt"},
      {"gaps turned into N must not be taken for bases in bulk", 1200000, 'c', "ACGTacgt"},
      {"the bulk copy must stop where the sequence has no room and grow it",
       CSequence_Mol::initial_seq_capacity + 300000, 'r', "ACGTacgt"},
      {"N and n read in bulk must be counted as ambiguous, not as bases", 900000, 'r',
       "ACGTNacgtnNNNN"},
  };
  const std::string alphabet = "ACGTacgtUuNnRYKMSWBDHV?xX-*  \t";
  std::mt19937 rng(21);
  for (const auto &row : rows) {
    std::string content = ">rec one\n", want_seq;
    std::vector<unsigned> want_gaps;
    unsigned position = 0, acgt = 0, ambiguous = 0;
    for (std::size_t column = 0; want_seq.size() + want_gaps.size() < row.length;) {
      // Long runs of plain bases, as in real files, broken now and then.
      const std::string plain = row.plain;
      const char c = rng() % 16 ? plain[rng() % plain.size()] : alphabet[rng() % alphabet.size()];
      content += c;
      if (++column == 60 + rng() % 3) {
        content += rng() % 4 ? "\n" : "\r\n";
        column = 0;
      }
      const char up = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (c == ' ' || c == '\t')
        continue;
      if ((c == '-' || c == '*') && row.mode == 'r') {
        want_gaps.push_back(position++);
        continue;
      }
      const bool base = std::string("ACGTU").find(up) != std::string::npos;
      want_seq += base ? (up == 'U' ? 'T' : up) : 'N';
      (base ? acgt : ambiguous) += 1;
      ++position;
    }
    content += "\n>next\nAC\n";
    scratch_file f(content);
    CFile in(f.c_str());
    CSequence_Mol r;
    row.mode == 'r' ? r.readFastaSequence_toupper_ambig2N_removegaps(in)
                    : r.readFastaSequence_toupper_ambig2N_gaps2N(in);
    ASSERT_FALSE(in.fail()) << row.fault;
    EXPECT_TRUE(want_seq == text(r.seq)) << row.fault;
    EXPECT_EQ(acgt, r.number_of_ACGTU) << row.fault;
    EXPECT_EQ(ambiguous, r.number_of_Ns) << row.fault;
    EXPECT_EQ(want_gaps, std::vector<unsigned>(r.gap_positions.begin(), r.gap_positions.end()))
        << row.fault;
    r.readFastaSequence_toupper_ambig2N_removegaps(in);
    EXPECT_EQ("next|next||AC| end", outcome(in, r)) << row.fault;
  }
}
