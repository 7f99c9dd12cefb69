// The character reader and the FASTA reader: block boundaries, line ends,
// push-back, normalisation, gap bookkeeping and the masked-file writer.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "input/CFile.h"
#include "input/CSequence_Mol.h"
#include "params/global-types-and-parameters.h"
#include "test_support.h"

namespace {

class InputTest : public ::testing::Test
{
protected:
  void SetUp() override { init_param(); }
};

std::string read_all(CFile &in)
{
  std::string s;
  for (;;) {
    unsigned c = in.getchar();
    if (in.fail())
      break;
    s.push_back(static_cast<char>(c));
  }
  return s;
}

std::string seq_text(const CSequence_Mol &r) { return std::string(r.seq.begin(), r.seq.end()); }
std::string text(const faststring &s) { return std::string(s.begin(), s.end()); }

} // namespace

TEST_F(InputTest, EmptyOrMissingFileReadsAsEndOfInput)
{
  scratch_file empty("");
  CFile in(empty.c_str());
  EXPECT_TRUE(in.good());
  EXPECT_EQ(0u, in.getchar());
  EXPECT_EQ(5u, in.get_state());
  EXPECT_EQ(1u, in.line_number());
  EXPECT_EQ(0u, in.peekchar());
  EXPECT_TRUE(in.eof() && in.fail());

  CFile missing("/nonexistent/torvix/input.fa");
  EXPECT_EQ(4u, missing.get_state());
  EXPECT_EQ(0u, missing.getchar());

  CFile directory(empty.dir.c_str());
  EXPECT_TRUE(directory.fail() && !directory.eof()) << "a directory is not a readable input";
}

TEST_F(InputTest, EveryLineEndConventionBecomesOneLineFeed)
{
  for (const char *content : {"A\r\nB", "A\rB", "A\nB"}) {
    scratch_file f(content);
    CFile in(f.c_str());
    EXPECT_EQ('A', in.getchar());
    EXPECT_EQ(1u, in.line_number());
    EXPECT_EQ('\n', in.peekchar()) << content;
    EXPECT_EQ(1u, in.line_number()) << "peeking at a line end must not count it";
    EXPECT_EQ('\n', in.getchar());
    EXPECT_EQ(2u, in.line_number());
    EXPECT_EQ('B', in.getchar());
    EXPECT_EQ(0u, in.getchar());
    EXPECT_TRUE(in.eof());
  }

  scratch_file lone_cr("A\r");
  CFile in(lone_cr.c_str());
  EXPECT_EQ('A', in.getchar());
  EXPECT_EQ('\n', in.getchar());
  EXPECT_EQ(2u, in.line_number());
  EXPECT_EQ(5u, in.get_state()) << "the end is already known after a final CR";
}

TEST_F(InputTest, CrLfSplitAcrossBlocksIsOneLineEnd)
{
  std::string content(CFile::buffer_size - 1, 'A');
  content += "\r\nB";
  scratch_file f(content);
  CFile in(f.c_str());
  for (unsigned i = 0; i + 1 < CFile::buffer_size; ++i)
    ASSERT_EQ('A', in.getchar());
  EXPECT_EQ('\n', in.getchar());
  EXPECT_EQ(2u, in.line_number());
  EXPECT_EQ('B', in.getchar()) << "the LF of a split CR LF must not be read twice";
  EXPECT_EQ(0u, in.getchar());

  // A lone CR at the end of a block leaves the next block's first byte unread.
  content[CFile::buffer_size] = 'C';
  scratch_file g(content);
  CFile in2(g.c_str());
  for (unsigned i = 0; i + 1 < CFile::buffer_size; ++i)
    in2.getchar();
  EXPECT_EQ('\n', in2.getchar());
  EXPECT_EQ('C', in2.getchar());
  EXPECT_EQ('B', in2.getchar());
}

TEST_F(InputTest, PushBackWorksAcrossARefill)
{
  std::string content(CFile::buffer_size, 'A');
  content += "\nTG";
  scratch_file f(content);
  CFile in(f.c_str());
  for (unsigned i = 0; i < CFile::buffer_size; ++i)
    in.getchar();
  EXPECT_EQ('\n', in.getchar()); // first byte of the second block
  EXPECT_EQ(2u, in.line_number());
  in.ungetchar();
  EXPECT_EQ(1u, in.line_number());
  EXPECT_EQ('\n', in.getchar());
  EXPECT_EQ(2u, in.line_number());
  EXPECT_EQ('T', in.peekchar());
  EXPECT_EQ('T', in.getchar());
  EXPECT_EQ('G', in.getchar());
  EXPECT_TRUE(in.good());
}

TEST_F(InputTest, LargeFileReadsBackByteExact)
{
  // 2.5 blocks of text with every kind of line end, in random places.
  std::mt19937 rng(7);
  std::string content;
  while (content.size() < 2 * CFile::buffer_size + CFile::buffer_size / 2) {
    unsigned r = rng() % 100;
    content += r < 3 ? "\r\n" : r < 5 ? "\r" : r < 8 ? "\n" : std::string(1, "ACGTN>; \t"[rng() % 9]);
  }
  std::string expected;
  for (size_t i = 0; i < content.size(); ++i) {
    if (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
      ++i;
    expected += content[i] == '\r' ? '\n' : content[i];
  }
  scratch_file f(content);
  CFile in(f.c_str());
  std::string got = read_all(in);
  EXPECT_EQ(expected.size(), got.size());
  EXPECT_TRUE(expected == got) << "bytes lost or repeated at a block boundary";
  EXPECT_EQ(1u + std::count(expected.begin(), expected.end(), '\n'), in.line_number());
}

TEST_F(InputTest, HeaderSplitsIntoNameAndDescription)
{
  scratch_file f(">seq1  some text\nAC\n>seq2\tx\nAC\n>seq3   \nAC\n> lead\n");
  CFile in(f.c_str());
  CSequence_Mol r;
  r.readFastaSequence_toupper_ambig2N_removegaps(in);
  EXPECT_EQ("seq1  some text", text(r.full_name));
  EXPECT_EQ("seq1", text(r.name));
  EXPECT_EQ("some text", text(r.description));
  r.readFastaSequence_toupper_ambig2N_removegaps(in);
  EXPECT_EQ("seq2\tx", text(r.name)) << "only a blank separates name and description";
  EXPECT_EQ("", text(r.description));
  r.readFastaSequence_toupper_ambig2N_removegaps(in);
  EXPECT_EQ("seq3", text(r.name));
  EXPECT_EQ("", text(r.description));
  EXPECT_EQ("AC", seq_text(r)) << "nothing beyond the header line belongs to it";
  r.readFastaSequence_toupper_ambig2N_removegaps(in);
  EXPECT_EQ("", text(r.name));
  EXPECT_EQ("lead", text(r.description));
  EXPECT_TRUE(in.eof());
}

TEST_F(InputTest, GapsAreRemovedWithTheirPositionsOrTurnedIntoN)
{
  scratch_file f(">r\nac-gu*n\n");
  {
    CFile in(f.c_str());
    CSequence_Mol r;
    r.readFastaSequence_toupper_ambig2N_removegaps(in);
    EXPECT_EQ("ACGTN", seq_text(r));
    EXPECT_EQ(4u, r.number_of_ACGTU);
    EXPECT_EQ(1u, r.number_of_Ns);
    EXPECT_EQ(2u, r.number_of_gaps);
    ASSERT_EQ(2u, r.gap_positions.size());
    EXPECT_EQ(2u, r.gap_positions[0]);
    EXPECT_EQ(5u, r.gap_positions[1]);
    ASSERT_EQ(1u, r.dash_positions.size());
    EXPECT_EQ(2u, r.dash_positions[0]);
    ASSERT_EQ(1u, r.star_positions.size());
    EXPECT_EQ(5u, r.star_positions[0]);
    EXPECT_EQ(">r\nAC-GT*N\n",
              captured_output([&](FILE *o) { r.writeSequence_fill_in_gaps_and_stars(o, 80); }));
  }
  {
    CFile in(f.c_str());
    CSequence_Mol r;
    r.readFastaSequence_toupper_ambig2N_gaps2N(in);
    EXPECT_EQ("ACNGTNN", seq_text(r));
    EXPECT_EQ(3u, r.number_of_Ns);
    EXPECT_EQ(0u, r.number_of_gaps);
    EXPECT_EQ(0u, r.gap_positions.size());
  }
}

TEST_F(InputTest, AConvertedRecordCarriesNoGapPositionsOfAnEarlierRecord)
{
  // Found by fuzzing: the same record object read first with gaps removed,
  // then with gaps converted, kept the first record's gap positions.
  scratch_file f(">a\nA-C\n>b\n*K\n");
  CFile in(f.c_str());
  CSequence_Mol r;
  r.readFastaSequence_toupper_ambig2N_removegaps(in);
  r.readFastaSequence_toupper_ambig2N_gaps2N(in);
  EXPECT_EQ("NN", seq_text(r));
  EXPECT_EQ(0u, r.gap_positions.size());
  EXPECT_EQ(">b\nNN\n",
            captured_output([&](FILE *o) { r.writeSequence_fill_in_gaps_and_stars(o, 80); }));
}

TEST_F(InputTest, GapPositionsCountAcrossLinesAndRecordsStartAfresh)
{
  scratch_file f(">a\n" + std::string(80, 'A') + "\n-C\n>b\nG-T\n");
  CFile in(f.c_str());
  CSequence_Mol r;
  r.readFastaSequence_toupper_ambig2N_removegaps(in);
  ASSERT_EQ(1u, r.gap_positions.size());
  EXPECT_EQ(80u, r.gap_positions[0]);
  r.readFastaSequence_toupper_ambig2N_removegaps(in);
  ASSERT_EQ(1u, r.gap_positions.size());
  EXPECT_EQ(1u, r.gap_positions[0]);
  EXPECT_EQ("GT", seq_text(r));
}

TEST_F(InputTest, UAndAmbiguityCodesAreNormalised)
{
  scratch_file f(">r\nuUacgtACGT\nNXRYKMSWBDHV?nxrykmswbdhv\n");
  CFile in(f.c_str());
  CSequence_Mol r;
  r.readFastaSequence_toupper_ambig2N_removegaps(in);
  EXPECT_EQ("TTACGTACGT" + std::string(25, 'N'), seq_text(r));
  EXPECT_EQ(10u, r.number_of_ACGTU);
  EXPECT_EQ(25u, r.number_of_Ns);
}

TEST_F(InputTest, CommentsAreAcceptedBeforeTheFirstRecordOnly)
{
  scratch_file ok("\n  # a comment\n#another\n\n>r\nAC\n");
  CFile in(ok.c_str());
  CSequence_Mol r;
  r.readFastaSequence_toupper_ambig2N_removegaps(in);
  EXPECT_EQ("r", text(r.name));
  EXPECT_EQ("AC", seq_text(r));

  scratch_file late(">r\nAC\n#late\n");
  CFile in2(late.c_str());
  r.readFastaSequence_toupper_ambig2N_removegaps(in2);
  EXPECT_TRUE(in2.fail() && !in2.eof());
  EXPECT_EQ(3u, in2.line_number());

  scratch_file only_comments("# nothing\n# here\n");
  CFile in3(only_comments.c_str());
  r.readFastaSequence_toupper_ambig2N_removegaps(in3);
  EXPECT_TRUE(in3.fail() && !in3.eof()) << "a file of comments holds no record";

  scratch_file garbage_after("#c\nACGT\n");
  CFile in4(garbage_after.c_str());
  r.readFastaSequence_toupper_ambig2N_removegaps(in4);
  EXPECT_TRUE(in4.fail() && !in4.eof());
}

TEST_F(InputTest, RecordsEndingAtEndOfFile)
{
  scratch_file header_only(">last record");
  CFile in(header_only.c_str());
  CSequence_Mol r;
  r.readFastaSequence_toupper_ambig2N_removegaps(in);
  EXPECT_EQ("last record", text(r.full_name));
  EXPECT_EQ(0u, r.seq.size());
  EXPECT_TRUE(in.eof() && in.fail());

  scratch_file no_final_newline(">a\nAC\n>b\nGT");
  CFile in2(no_final_newline.c_str());
  r.readFastaSequence_toupper_ambig2N_removegaps(in2);
  EXPECT_TRUE(in2.good());
  r.readFastaSequence_toupper_ambig2N_removegaps(in2);
  EXPECT_EQ("GT", seq_text(r));
  EXPECT_TRUE(in2.eof() && in2.fail());

  // A lone '>' at the very end is an empty record without a name, not a
  // second copy of the record before it.
  scratch_file lone(">a x\nAC\n>");
  CFile in3(lone.c_str());
  r.readFastaSequence_toupper_ambig2N_removegaps(in3);
  EXPECT_EQ("a", text(r.name));
  r.readFastaSequence_toupper_ambig2N_removegaps(in3);
  EXPECT_TRUE(in3.eof() && in3.fail());
  EXPECT_EQ("", text(r.full_name));
  EXPECT_EQ("", text(r.name));
  EXPECT_EQ("", text(r.description));
  EXPECT_EQ(0u, r.seq.size());
}

TEST_F(InputTest, MalformedInputFailsAtTheOffendingLine)
{
  CSequence_Mol r;
  scratch_file empty("");
  CFile in(empty.c_str());
  r.readFastaSequence_toupper_ambig2N_removegaps(in);
  EXPECT_TRUE(in.fail() && !in.eof()) << "an empty file is an error, not an empty result";
  EXPECT_EQ(1u, in.line_number());

  scratch_file blank("  \n\n \t\n");
  CFile in2(blank.c_str());
  r.readFastaSequence_toupper_ambig2N_gaps2N(in2);
  EXPECT_TRUE(in2.fail() && !in2.eof());

  scratch_file digit(">r\nACGT\nAC GT\nAC1T\n");
  CFile in3(digit.c_str());
  r.readFastaSequence_toupper_ambig2N_removegaps(in3);
  EXPECT_TRUE(in3.fail() && !in3.eof());
  EXPECT_EQ(4u, in3.line_number());

  scratch_file inner_gt(">r\r\nAC>GT\r\n");
  CFile in4(inner_gt.c_str());
  r.readFastaSequence_toupper_ambig2N_gaps2N(in4);
  EXPECT_TRUE(in4.fail() && !in4.eof());
  EXPECT_EQ(2u, in4.line_number());

  scratch_file nul(std::string(">r\nAC\0GT\n", 10));
  CFile in5(nul.c_str());
  r.readFastaSequence_toupper_ambig2N_removegaps(in5);
  EXPECT_TRUE(in5.fail() && !in5.eof()) << "a NUL byte is not a base";

  scratch_file no_header("ACGT\n");
  CFile in6(no_header.c_str());
  r.readFastaSequence_toupper_ambig2N_removegaps(in6);
  EXPECT_TRUE(in6.fail() && !in6.eof());
}

TEST_F(InputTest, WriterBreaksLinesAtTheWidthWithoutBlankLines)
{
  CSequence_Mol r;
  r.full_name.assign("x");
  std::string bases(160, 'A');
  r.seq.assign(bases.data(), bases.data() + bases.size());
  EXPECT_EQ(">x\n" + std::string(80, 'A') + "\n" + std::string(80, 'A') + "\n",
            captured_output([&](FILE *o) { r.writeSequence_fill_in_gaps_and_stars(o, 80); }));

  r.seq.clear();
  EXPECT_EQ(">x\n", captured_output([&](FILE *o) { r.writeSequence_fill_in_gaps_and_stars(o, 80); }));

  // Gaps at both ends and across a line break go back where they stood.
  scratch_file f(">g\n-" + std::string(79, 'C') + "*G\nT-\n");
  CFile in(f.c_str());
  r.readFastaSequence_toupper_ambig2N_removegaps(in);
  EXPECT_EQ(">g\n-" + std::string(79, 'C') + "\n*GT-\n",
            captured_output([&](FILE *o) { r.writeSequence_fill_in_gaps_and_stars(o, 80); }));
}

TEST_F(InputTest, GrowableBuffersKeepTheirContentWhileGrowing)
{
  faststring s;
  EXPECT_EQ(nullptr, s.data);
  s.push_back('a');
  EXPECT_EQ(4u, s.capacity);
  for (int i = 0; i < 4; ++i)
    s.push_back('b');
  EXPECT_EQ(8u, s.capacity);
  EXPECT_STREQ("abbbb", s.c_str());
  EXPECT_EQ(5u, s.size()) << "the terminator is not counted";

  faststring t;
  t.assign("abcd");
  EXPECT_EQ(5u, t.capacity);
  t.c_str();
  EXPECT_EQ(5u, t.capacity);

  fastvector<unsigned> v;
  for (unsigned i = 0; i < 1000; ++i)
    v.push_back(i);
  EXPECT_EQ(1024u, v.capacity);
  for (unsigned i = 0; i < 1000; ++i)
    ASSERT_EQ(i, v[i]);
  v.clear();
  EXPECT_EQ(1024u, v.capacity) << "clearing keeps the storage";
}
