#include "parameters.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <tclap/CmdLine.h>

#include "formats/report_format.h"
#include "input/CFile.h"
#include "params/exit_status.h"
#include "params/global-types-and-parameters.h"

static std::string version_text()
{
  return std::string(TORVIX_VERSION) + ".\nThis is a " + std::to_string(sizeof(void *) * 8) +
         " bit version of Torvix.";
}

// The value checks that follow parsing; the first failure is reported.
static int check_parameter_values()
{
  // Smallest thresholds, those of unit length 1.
  float s1 = static_cast<float>(global_min_score_a) + global_min_score_bx;
  float l1 = static_cast<float>(global_min_length_a) + global_min_length_bx;
  if (s1 < static_cast<float>(global_min_score))
    s1 = static_cast<float>(global_min_score);
  if (l1 < static_cast<float>(global_min_length))
    l1 = static_cast<float>(global_min_length);
  if (s1 < 2 && l1 < 2) {
    std::fputs("Sorry, either the minimum score or the minimum length must be larger.\n", stderr);
    return status_bad_option;
  }
  if (global_mismatch_score >= -1) {
    std::fputs("Sorry, the mismatch score must be smaller or equal to -2.\n", stderr);
    return status_bad_option;
  }
  if (global_indel_score >= -1) {
    std::fputs("Sorry, the indel score must be smaller or equal to -2.\n", stderr);
    return status_bad_option;
  }
  if (global_Ns_allowed_in_a_row < 0)
    global_Ns_allowed_in_a_row = 0;
  if (global_flanking < 0)
    global_flanking = 0;
  if (global_maximum_recursion_depth <= 0) {
    std::fputs("Sorry, the recursion depth must be greater than 0.\n"
               "A value of 0 would corresponds to a perfect search.\n",
               stderr);
    return status_bad_option;
  }
  if (global_max_unit_length < global_min_unit_length) {
    std::fputs("I think you have made a mistake here: The maximum unit length must be greater\n"
               "or equal to the minimum unit length.\n",
               stderr);
    return status_bad_option;
  }
  // Units of length 0 cannot be searched, and longer units than the
  // prime-factor table covers cannot be reported.
  if (global_min_unit_length < 1) {
    std::fprintf(stderr,
                 "Sorry, the minimum unit length (option minUnitLen) must be in the range 1 to "
                 "%u.\n",
                 max_allowed_unit_length);
    return status_bad_option;
  }
  if (global_max_unit_length > max_allowed_unit_length) {
    std::fprintf(stderr,
                 "Sorry, the maximum unit length (option maxUnitLen) must be in the range 1 to "
                 "%u.\n",
                 max_allowed_unit_length);
    return status_bad_option;
  }
  const bool masking = global_mask_X || global_mask_lower;
  if (!global_masked_filename.empty() && !masking) {
    std::fputs("Sorry, the option maskedFile names the file of masked sequences, which only maskX "
               "or maskLower writes.\n",
               stderr);
    return status_bad_option;
  }
  if (masking && global_masked_filename.empty() && CFile::is_standard_input(global_input_filename)) {
    std::fputs("Sorry, standard input has no file name from which to name the file of masked "
               "sequences.\nName it with the option maskedFile.\n",
               stderr);
    return status_bad_option;
  }
  return status_ok;
}

namespace {

// The file names are the words no option claims. Taken as they come, a
// mistyped option and its value would become file names and the run would
// fail later on a file that cannot be opened; extra names would be dropped
// without a word. Both are syntax errors instead. After "--" every word is a
// file name, and "-" alone is a name, not an option.
class file_names_arg : public TCLAP::UnlabeledMultiArg<std::string>
{
public:
  using TCLAP::UnlabeledMultiArg<std::string>::UnlabeledMultiArg;

  bool processArg(int *i, std::vector<std::string> &args) override
  {
    const std::string &word = args[static_cast<size_t>(*i)];
    if (!TCLAP::Arg::ignoreRest() && word.size() > 1 && word[0] == '-')
      return false; // the parser reports it as a word it cannot match
    if (_values.size() == 2)
      throw TCLAP::CmdLineParseException(
          "Too many file names: Torvix takes an input file and at most one output file", word);
    return UnlabeledMultiArg::processArg(i, args);
  }
};

} // namespace

output_part global_output_part = output_part::all;
unsigned global_threads = 1;

static const char parse_problem[] =
    "Sorry, a problem occured when parsing the command line options. ";

int read_and_init_parameters(int argc, char **argv)
{
  init_param();
  global_output_part = output_part::all;
  global_threads = 1;
  try {
    TCLAP::CmdLine cmd("This program searches for tandemly repeated patterns in DNA sequences.",
                       ' ', version_text());

    TCLAP::SwitchArg convert_gaps_to_Ns(
        "", "convert_gaps_to_Ns",
        "Some basecaller introduce gaps which naturally should be Ns.With this option we convert "
        "gaps to Ns. Otherwise gaps are excised from the sequence. (The '*' characters, which was "
        "introduced in some older programs is treated in the same way as gaps.)",
        cmd, global_gaps_to_Ns);
    TCLAP::SwitchArg sequenceInfoAsComment(
        "", "sequenceInfoAsComment",
        "In the GFF and one-per-line output modes, show additional sequence information in the "
        "output file as a comment. In the BED output mode, write the run header as comments above "
        "the repeats.",
        cmd, global_sequenceInfoAsComment);
    TCLAP::ValueArg<int> succN(
        "N", "succN", "The maximum number of successive N's allowed in a satellite. Default: 2.",
        false, global_Ns_allowed_in_a_row, "int", cmd);
    TCLAP::SwitchArg NsAsMissense(
        "", "NsAsMissense", "Treat N's as missense. Default: Treat N's as neutral with score 0.",
        cmd, global_treat_Ns_as_missense);
    TCLAP::SwitchArg preferShorterRepeats(
        "", "preferShorterRepeats",
        "For two alignments of the same repeat that have the same score, Torvix reports by "
        "default (since version 3.3.9) the longer alignment. The longer alignment will have more "
        "mismatches/gaps and a lower perfection. With this option, Torvix will choose the shorter "
        "of the two alignments instead of the longer. Torvix will run faster with this option.",
        cmd, !global_prefer_longer_repeat);
    TCLAP::ValueArg<int> reportUnit(
        "", "reportUnit",
        "Repeat units can be reported in three different modes. 0: asIs, 1: Alphabetical normal "
        "form, 2: Alphabetical normal form also considering the reverse complement. Default: 2",
        false, global_report_unit_mode, "int", cmd);
    TCLAP::ValueArg<int> NPerfectionMode(
        "", "NPerfectionMode",
        "Torvix provides different modes to treat N's when computing the perfection of a repeat. "
        "0: asMismatch, 1: asNeutral, 2: asMatch. Default: 0",
        false, global_N_and_perfection_mode, "int", cmd);
    TCLAP::ValueArg<int> printRepeatSeqMode(
        "", "printRepeatSeqMode",
        "Torvix provides different modes to print the repeat sequence along with its information. "
        "0: don't print sequence, 1: print sequence, 2: print alignment.",
        false, global_print_sat_seq_mode, "int", cmd);
    TCLAP::ValueArg<int> outputFormat(
        "", "outputFormat",
        "Torvix provides different output formats for printing the repeat information. 0: Torvix "
        "output format, 1: extended Torvix output format, 2: gff - general feature format, 3: "
        "one-per-line format, 4: as fasta sequence, 5: BED - one line per repeat with 0-based start",
        false, global_print_sat_mode, "int", cmd);
    TCLAP::SwitchArg maskX(
        "", "maskX",
        "Writes the sequences to a file with the extension \".masked\" in which repeats are masked "
        "by the X character. Currently, this option has the sometimes unwanted side effect of "
        "changing all ambiguity codes to Ns.",
        cmd, global_mask_X);
    TCLAP::SwitchArg QUARNrun(
        "", "QUARNrun",
        "This option tells Torvix that it called from QUARN, which slighly alters the output, "
        "mostly to be backward compatible with older versions with less lines of output.",
        cmd, global_QUARN_run);
    TCLAP::SwitchArg maskLower(
        "", "maskLower",
        "Writes the sequences to a file with the extension \".masked\" in which repeats are masked "
        "by lower case letters. Currently, this option has the sometimes unwanted side effect of "
        "changing all ambiguity codes to Ns.",
        cmd, global_mask_lower);
    TCLAP::ValueArg<std::string> maskedFile(
        "", "maskedFile",
        "Name of the file with masked sequences that --maskX or --maskLower write. Default: the "
        "input file name followed by \".masked\", without a \".gz\" or \".bgz\" ending of a "
        "compressed input, which is written uncompressed. Required when the input is standard "
        "input (-).",
        false, "", "file name", cmd);
    TCLAP::ValueArg<int> flanking(
        "f", "flanking",
        "If the satellite sequence is printed, this is the number of flanking nucleotides to be "
        "printed to the left and right of it. Default: 0",
        false, global_flanking, "int", cmd);
    TCLAP::ValueArg<float> minPerfection("", "minPerfection",
                                         "Minimum perfection of a satellites. Default: 0.", false,
                                         global_min_perfection, "float", cmd);
    TCLAP::ValueArg<float> maxPerfection("", "maxPerfection",
                                         "Maximum perfection of a satellites. Default: 100.",
                                         false, global_max_perfection, "float", cmd);
    TCLAP::SwitchArg dontRemoveMostlyOverlapping(
        "D", "dontRemoveMostlyOverlapping",
        "Torvix sometimes finds repeats that partially or completely overlap with other repeats, "
        "e.g. if alignments with alternative repeat patterns exist at the same locus in a "
        "sequence. The default is to remove one of any two mostly overlapping repeats in favour "
        "of that repeat with the highest score. With this option, Torvix reports also repeats "
        "that mostly overlap with higher scoring repeats.",
        cmd, false);
    TCLAP::ValueArg<int> firstSeq("", "firstSeq",
                                  "Number of first sequence to be processed in this run.", false,
                                  static_cast<int>(global_sequence_from), "int", cmd);
    TCLAP::ValueArg<int> lastSeq("", "lastSeq",
                                 "Number of last sequence to be processed in this run.", false,
                                 static_cast<int>(global_sequence_to), "int", cmd);
    TCLAP::ValueArg<int> maximum_score_reduction(
        "R", "maximum_score_reduction",
        "The maximum amount the score can be reduced before search is aborded. Typical: "
        "6*mismatch-penalty or infinite. Default: infinite",
        false, global_maximum_scorereduction, "int", cmd);
    TCLAP::ValueArg<int> recursion(
        "r", "recursion",
        "The recursion depth used in the search. Values in the range 3 to 7 are recommended. A "
        "value of 0 implies a search for perfect repeats only.",
        false, global_maximum_recursion_depth, "int", cmd);
    TCLAP::ValueArg<unsigned> minUnitLen("u", "minUnitLen", "Minimum unit length. Default: 1",
                                         false, global_min_unit_length, "int", cmd);
    TCLAP::ValueArg<unsigned> maxUnitLen("U", "maxUnitLen", "Maximum unit length. Default: 10",
                                         false, global_max_unit_length, "int", cmd);
    TCLAP::ValueArg<float> minLength_b(
        "", "minLength_b",
        "The minimum length of a repeat is determined with: maximum( minLength, minLength_a + "
        "minLength_b*(unit-length) ). Default value of minLength_b: 0",
        false, global_min_length_bx, "float", cmd);
    TCLAP::ValueArg<int> minLength_a(
        "", "minLength_a",
        "The minimum length of a repeat is determined with: maximum( minLength, minLength_a + "
        "minLength_b*(unit-length) ). Default value of minLength_a: 0",
        false, global_min_length_a, "int", cmd);
    TCLAP::ValueArg<int> minLength(
        "l", "minLength",
        "The minimum length of a repeat is determined with: maximum( minLength, minLength_a + "
        "minLength_b*(unit-length) ). Default value of minLength: 0",
        false, global_min_length, "int", cmd);
    TCLAP::ValueArg<float> minScore_b(
        "", "minScore_b",
        "The minimum score of a repeat is determined with: maximum( minScore, minScore_a + "
        "minScore_b*(unit-length) ). Default value of minScore_b: 1",
        false, global_min_score_bx, "float", cmd);
    TCLAP::ValueArg<int> minScore_a(
        "", "minScore_a",
        "The minimum score of a repeat is determined with: maximum( minScore, minScore_a + "
        "minScore_b*(unit-length) ). Default value of minScore_a: 0",
        false, global_min_score_a, "int", cmd);
    TCLAP::ValueArg<int> minScore(
        "s", "minScore",
        "The minimum score of a repeat is determined with: maximum( minScore, minScore_a + "
        "minScore_b*(unit-length) ). Default value of minScore: 6",
        false, global_min_score, "int", cmd);
    TCLAP::ValueArg<int> mismatchScore(
        "m", "mismatchScore",
        "Score for mismatch - must be negative. Default: -5. Match score is fixed to one.", false,
        global_mismatch_score, "int", cmd);
    TCLAP::ValueArg<int> indelScore(
        "g", "indelScore",
        "Score for indels - must be negative. Default: -5. Match score is fixed to one.", false,
        global_indel_score, "int", cmd);
    std::vector<std::string> modes{"exact", "extendExact", "imperfect"};
    TCLAP::ValuesConstraint<std::string> allowed_modes(modes);
    TCLAP::ValueArg<std::string> searchMode(
        "M", "searchMode",
        "Torvix provides three different search modes. exact: Search for exact repeats, only. "
        "extendExact: Searches for exact repeats and extends them by inserting mismatches and "
        "indels. imperfect: Searches directly for imperfect repeats.",
        false, "imperfect", &allowed_modes, cmd);
    std::vector<std::string> parts{"all", "header", "records", "trailer"};
    TCLAP::ValuesConstraint<std::string> allowed_parts(parts);
    TCLAP::ValueArg<std::string> outputPart(
        "", "outputPart",
        "Writes only one part of the output, so that a run split into jobs by record range "
        "(firstSeq, lastSeq) can be merged into the output of one whole run: header (the run "
        "header and column legend; no record is read and no masked file written), records (the "
        "results of the records in range, and their masked file), trailer (the closing line). "
        "One header run with the options and file names of the whole run, the records runs of "
        "consecutive ranges and one trailer run, concatenated in this order, give the output of "
        "the whole run. Default: all",
        false, "all", &allowed_parts, cmd);
    TCLAP::ValueArg<unsigned> threads(
        "t", "threads",
        "Number of threads that search records at the same time; 0 uses every core this process "
        "may run on. The output is the same for every number of threads. Default: 1",
        false, 1, "unsigned int", cmd);
    file_names_arg iofiles(
        "iofiles",
        "Torvix requires either one or two file names as parameters. The first must be the input "
        "file in FASTA format. If a second file is specified, output is written to it. If no "
        "second file is given, output is written to the console. The input may be compressed with "
        "gzip or bgzip; - reads it from standard input.",
        false, "Input and output filenames", cmd);

    cmd.parse(argc, argv);

    const std::vector<std::string> &files = iofiles.getValue();
    if (files.empty()) {
      std::fprintf(stderr, "Error: No input file has been specified. Type ");
      std::fputs(argv[0], stderr);
      std::fputs(" --help for more information.\n", stderr);
      return status_bad_option;
    }
    global_input_filename = files[0];
    if (files.size() == 2)
      global_output_filename = files[1];

    global_gaps_to_Ns = convert_gaps_to_Ns.getValue();
    global_sequenceInfoAsComment = sequenceInfoAsComment.getValue();
    global_Ns_allowed_in_a_row = succN.getValue();
    global_treat_Ns_as_missense = NsAsMissense.getValue();
    global_prefer_longer_repeat = preferShorterRepeats.getValue() ? 0 : 1;
    global_mask_X = maskX.getValue();
    global_QUARN_run = QUARNrun.getValue();
    global_mask_lower = maskLower.getValue();
    global_flanking = flanking.getValue();
    global_min_perfection = minPerfection.getValue();
    global_max_perfection = maxPerfection.getValue();
    global_remove_mostly_hidden = !dontRemoveMostlyOverlapping.getValue();
    global_sequence_from = static_cast<unsigned>(firstSeq.getValue());
    global_sequence_to = static_cast<unsigned>(lastSeq.getValue());
    global_maximum_scorereduction = maximum_score_reduction.getValue();
    global_maximum_recursion_depth = recursion.getValue();
    global_min_unit_length = minUnitLen.getValue();
    global_max_unit_length = maxUnitLen.getValue();
    global_min_length_bx = minLength_b.getValue();
    global_min_length_a = minLength_a.getValue();
    global_min_length = minLength.getValue();
    global_min_score_bx = minScore_b.getValue();
    global_min_score_a = minScore_a.getValue();
    global_min_score = minScore.getValue();
    global_mismatch_score = mismatchScore.getValue();
    global_indel_score = indelScore.getValue();
    if (global_mask_lower)
      global_mask_X = false;

    const std::string &mode = searchMode.getValue();
    global_search_mode = mode == "exact" ? 0 : mode == "extendExact" ? 1 : 2;
    const std::string &part = outputPart.getValue();
    global_output_part = part == "header"    ? output_part::header
                         : part == "records" ? output_part::records
                         : part == "trailer" ? output_part::trailer
                                             : output_part::all;
    global_threads = threads.getValue();

    global_masked_filename = maskedFile.getValue();
    if (!output_format(outputFormat.getValue())) {
      std::fprintf(stderr, "%sAn outputFormat with a value of %d is unknown.\n\n", parse_problem,
                   outputFormat.getValue());
      return status_bad_mode_option;
    }
    global_print_sat_mode = outputFormat.getValue();
    if (printRepeatSeqMode.getValue() < 0 || printRepeatSeqMode.getValue() > 2) {
      std::fprintf(stderr, "%sA printRepeatSeqMode with a value of %d is unknown.\n\n",
                   parse_problem, printRepeatSeqMode.getValue());
      return status_bad_mode_option;
    }
    global_print_sat_seq_mode = printRepeatSeqMode.getValue();
    if (NPerfectionMode.getValue() < 0 || NPerfectionMode.getValue() > 2) {
      std::fprintf(stderr, "%sAn NPerfectionMode with a value of %d is unknown.\n\n",
                   parse_problem, NPerfectionMode.getValue());
      return status_bad_mode_option;
    }
    global_N_and_perfection_mode = NPerfectionMode.getValue();
    if (reportUnit.getValue() < 0 || reportUnit.getValue() > 2) {
      std::fprintf(stderr, "%sAn option value of %d for the reportUnit option is unknown.\n\n",
                   parse_problem, reportUnit.getValue());
      return status_bad_mode_option;
    }
    global_report_unit_mode = reportUnit.getValue();
  } catch (TCLAP::ArgException &e) {
    std::fprintf(stderr, "Error: %s for arg %s\n", e.error().c_str(), e.argId().c_str());
    return status_bad_option;
  }
  return check_parameter_values();
}
