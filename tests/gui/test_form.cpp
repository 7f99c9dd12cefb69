// The form: defaults, enable rules, presets, the check table, the copy into
// the global parameter set, the file names and the Quit dialog.
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include <FL/Fl_File_Chooser.H>
#include <FL/filename.H>

#include "gui_test_support.h"

namespace {

using Form = GuiTest;
using FileNames = GuiTest;

// Every global that the form sets, on one line.
std::string globals()
{
  std::ostringstream s;
  s << "in=" << global_input_filename << " out=" << global_output_filename << " seqs=" << global_sequence_from
    << "-" << global_sequence_to << " mode=" << global_search_mode << " nperf=" << global_N_and_perfection_mode
    << " unit=" << global_report_unit_mode << " seq=" << global_print_sat_seq_mode
    << " format=" << global_print_sat_mode << " comment=" << global_sequenceInfoAsComment
    << " flank=" << global_flanking << " r=" << global_maximum_recursion_depth
    << " maxred=" << global_maximum_scorereduction << " units=" << global_min_unit_length << "-"
    << global_max_unit_length << " missense=" << global_treat_Ns_as_missense << " gaps=" << global_gaps_to_Ns
    << " Ns=" << global_Ns_allowed_in_a_row << " score=" << global_min_score << "," << global_min_score_a << ","
    << global_min_score_bx << " len=" << global_min_length << "," << global_min_length_a << ","
    << global_min_length_bx << " perf=" << global_min_perfection << "-" << global_max_perfection
    << " m=" << global_mismatch_score << " g=" << global_indel_score << " longer=" << global_prefer_longer_repeat
    << " hidden=" << global_remove_mostly_hidden << " maskX=" << global_mask_X << " maskLower=" << global_mask_lower
    << " ";
  return s.str();
}

std::string texts(std::initializer_list<Fl_Input *> fields)
{
  std::string s;
  for (Fl_Input *f : fields)
    s += std::string(s.empty() ? "" : " ") + f->value();
  return s;
}

// Which of m, g, r, the reduction box and value, the distance and the N choice are active.
std::string active()
{
  std::string s;
  for (Fl_Widget *w : std::initializer_list<Fl_Widget *>{input_m, input_g, input_r, check_maxRed, input_maxRed,
                                                         input_compDist, choice_NPerfection})
    s += w->active() ? '1' : '0';
  return s;
}

void set_mode(Fl_Round_Button *on)
{
  for (Fl_Round_Button *r : {radio_modeImperf, radio_modePerfec, radio_modeExtend, radio_modeCompou})
    r->value(r == on);
}

Fl_Widget *find_button(Fl_Group *g, const char *label)
{
  Fl_Widget *found = nullptr;
  for (int i = 0; i < g->children() && !found; ++i)
    if (g->child(i)->label() && std::strcmp(g->child(i)->label(), label) == 0)
      found = g->child(i);
    else if (Fl_Group *sub = dynamic_cast<Fl_Group *>(g->child(i)))
      found = find_button(sub, label);
  return found;
}

} // namespace

TEST_F(Form, WindowOnA700PixelScreenIs670HighAndTheFormScrolls)
{
  EXPECT_EQ(main_window->w(), 835);
  EXPECT_EQ(main_window->h(), 670);
  EXPECT_EQ(main_scroll->h(), 670);
  EXPECT_EQ(main_window->resizable(), main_scroll);
  // The hidden widgets carry values only.
  EXPECT_FALSE(radio_modeCompou->visible() || input_compDist->visible() || check_scoreFirstUnit->visible());
  main_window->show();
  Fl::check();
  EXPECT_TRUE(main_scroll->scrollbar.visible());
  // The lowest widgets lie below the window and are reached by scrolling.
  main_scroll->position(0, 100);
  EXPECT_EQ(choice_printRepeatMode->y(), 720 - 100);
  main_scroll->position(0, 0);
  main_window->hide();
}

TEST_F(Form, DefaultsEnableRulesAndPresetsSetTheRightFields)
{
  // Factory settings, and the Reset button, restore every default.
  Fl_Widget *reset = find_button(main_scroll, "Reset parameters");
  ASSERT_NE(reset, nullptr);
  for (int pass = 0; pass < 2; ++pass) {
    set_form(&form_row::other);
    pass == 0 ? factory_settings() : reset->do_callback();
    EXPECT_EQ(form_values(&form_row::factory), form_values(&form_row::factory, true));
    EXPECT_EQ(remember_choice_NPerfection, 0);
    EXPECT_EQ(active(), "1111001");
  }
  const struct { Fl_Round_Button *mode; int box; const char *active; } rows[] = {
      {radio_modeImperf, 1, "1111101"}, {radio_modePerfec, 1, "0000001"},
      {radio_modeExtend, 0, "1111001"}, {radio_modeCompou, 1, "1111111"}};
  for (const auto &row : rows) {
    set_mode(row.mode);
    check_maxRed->value(row.box);
    callback_check_maxRed();
    EXPECT_EQ(active(), row.active);
  }
  // N's as missense force "as mismatch"; clearing the box brings back the
  // item, also when that was none.
  for (int item : {2, -1}) {
    select_item(choice_NPerfection, item);
    check_treatNsAsMis->value(1);
    do_consistency();
    do_consistency();
    EXPECT_EQ(choice_NPerfection->value(), 0);
    EXPECT_EQ(active(), "1111110");
    check_treatNsAsMis->value(0);
    do_consistency();
    EXPECT_EQ(choice_NPerfection->value(), item);
  }
  // An item chosen while the box is off survives the other rules.
  choice_NPerfection->value(1);
  do_consistency();
  EXPECT_EQ(choice_NPerfection->value(), 1);
  // Presets set their fields, leave the maximum perfection and end with the enable rules.
  input_maxPerf->value("90");
  for (long which : {2L, 1L, 7L}) {
    callback_typical_imperfect_search(nullptr, reinterpret_cast<void *>(which));
    EXPECT_EQ(texts({input_m, input_g, input_r}), which == 1 ? "-5 -5 5" : "-4 -4 3");
  }
  for (long which : {1L, 2L}) {
    input_minPerf->value("50");
    callback_typical_minRequirements(nullptr, reinterpret_cast<void *>(which));
    EXPECT_EQ(texts({input_minLen, input_minLen_a, input_minLen_b, input_minScore, input_minScore_a,
                     input_minScore_b, input_minPerf, input_maxPerf}),
              which == 1 ? "8 0 2 0 0 0 0 90" : "0 0 0 6 0 1 0 90");
  }
  set_mode(radio_modePerfec);
  callback_typical_imperfect_search(nullptr, reinterpret_cast<void *>(1));
  EXPECT_FALSE(input_m->active());
  EXPECT_TRUE(script.alerts.empty());
}

TEST_F(Form, EveryCheckRowShowsItsAlertCorrectsTheFieldAndClassifiesTheResult)
{
  auto the = [](const char *what, const char *rest) { return std::string("The \"") + what + "\" " + rest; };
  auto blank = [](const char *what) {
    return std::string(what) + " input field was blank and has been set to its default value.";
  };
  const std::string from = the("From sequence", "value cannot be less than 1. It has been adjusted to 1"),
                    unit = the("Minimum unit size", "cannot be less than 1. It has been adjusted to 1"),
                    r = the("recursion depth", "must be greater or equal to 1.\nA value of 0 would "
                                               "corresponds to a perfect search."),
                    m = the("mismatch score", "must be negative. Its value has been adjusted to -5."),
                    above = "cannot be greater than 100%. Its value has been adjusted to 100%.",
                    below = "cannot be less than 0%. Its value has been adjusted to 0%.",
                    flank = blank("The \"flanking nucleotides\""), len = blank("A \"minimum length\""),
                    score = blank("A \"minimum score\"");
  const struct { Fl_Input *field; const char *typed; std::string alert; const char *corrected; int result; } rows[] = {
      {input_fromSeq, "0", from, "1", -1},
      {input_fromSeq, "-3", from, "1", -1},
      {input_toSeq, "0", the("To sequence", "value cannot be less than 1. It has been adjusted to \"last sequence\""), "", -1},
      {input_minUnitSize, "0", unit, "1", -1},
      {input_minUnitSize, "", unit, "1", -1},
      {input_maxUnitSize, "0", the("Maximum unit size", "cannot be smaller than the minimum unit size. Its value has been set to its default value."), "10", -1},
      {input_maxUnitSize, "10001", the("Maximum unit size", "cannot be greater than 10000. Its value has been adjusted to 10000."), "10000", -1},
      {input_minPerf, "101", the("Minimum perfection", above.c_str()), "100", -1},
      {input_maxPerf, "150", the("Maximum perfection", above.c_str()), "100", -1},
      {input_minPerf, "-1", the("Minimum perfection", below.c_str()), "0", -1},
      {input_maxPerf, "-1.5", the("Maximum perfection", below.c_str()), "0", -1},
      {input_allowedNs, "-1", the("Maximum number of allowed Ns", "cannot be negative. Its value has been adjusted to 0."), "0", -1},
      {input_flanking, "-2", the("Number of flanking nucleotides", "cannot be negative. Its value has been adjusted to zero."), "0", -1},
      {input_r, "0", r, "5", -2},
      {input_r, "", r, "5", -2},
      {input_m, "0", m, "-5", -1},
      {input_m, "3", m, "-5", -1},
      {input_g, "0", the("gap score", "must be negative. Its value has been adjusted to -5."), "-5", -1},
      {input_maxRed, "-1", the("maximum score reduction", "cannot be negative. Its value has been adjusted to its default value."), "30", -1},
      {input_flanking, "", flank, "0", -2},
      {input_flanking, "-", flank, "0", -2},
      {input_minPerf, "", blank("The \"minimum perfection\""), "0", -2},
      {input_maxPerf, "", blank("The \"maximum perfection\""), "100", -2},
      {input_maxRed, "", blank("The \"maximum reduction\""), "30", -2},
      {input_allowedNs, "", blank("The \"maximum number of allowed Ns\""), "2", -2},
      {input_minLen, "", len, "0", -2},
      {input_minLen_a, "", len, "0", -2},
      {input_minLen_b, "-", len, "0", -2},
      {input_minScore, "", score, "6", -2},
      {input_minScore_a, "", score, "0", -2},
      {input_minScore_b, "", score, "1", -2},
  };
  // Blank sequence bounds are valid; a blank reduction counts only while its box is on.
  input_fromSeq->value("");
  input_maxRed->value("");
  EXPECT_EQ(check_parameters(), 0);
  for (const auto &row : rows) {
    SCOPED_TRACE(std::string("typed \"") + row.typed + "\", alert: " + row.alert);
    factory_settings();
    check_maxRed->value(1);
    row.field->value(row.typed);
    EXPECT_EQ(check_parameters(), row.result);
    EXPECT_STREQ(row.field->value(), row.corrected);
    EXPECT_EQ(check_parameters(), 0);
    EXPECT_EQ(script.alerts, std::vector<std::string>{row.alert});
    script.alerts.clear();
  }
  // An out-of-range value wins over a blank one; alerts come in row order.
  input_minScore_b->value("");
  input_fromSeq->value("0");
  EXPECT_EQ(check_parameters(), -1);
  EXPECT_EQ(script.alerts, (std::vector<std::string>{from, score}));
}

TEST_F(Form, UnitSizeCorrectionLeavesAPairThatPassesTheNextCheck)
{
  // A maximum set to the default 10 below a minimum of 11 or more failed
  // every later check, so Run, Save and Quit were refused until the minimum
  // was edited by hand.
  const std::string smaller = "The \"Maximum unit size\" cannot be smaller than the minimum unit size. ",
                    to_default = smaller + "Its value has been set to its default value.",
                    to_minimum = smaller + "Its value has been set to the minimum unit size.",
                    min_above = "The \"Minimum unit size\" cannot be greater than 10000. Its value has been "
                                "adjusted to 10000.",
                    max_above = "The \"Maximum unit size\" cannot be greater than 10000. Its value has been "
                                "adjusted to 10000.";
  const struct { const char *min, *max, *new_min, *new_max; std::vector<std::string> alerts; } rows[] = {
      {"8", "3", "8", "10", {to_default}},
      {"10", "9", "10", "10", {to_default}},
      {"11", "10", "11", "11", {to_minimum}},
      {"12.7", "5", "12.7", "12", {to_minimum}},
      {"20000", "5", "10000", "10000", {min_above, to_minimum}},
      {"20000", "30000", "10000", "10000", {min_above, max_above}},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(std::string("from ") + row.min + " to " + row.max);
    factory_settings();
    input_minUnitSize->value(row.min);
    input_maxUnitSize->value(row.max);
    EXPECT_EQ(check_parameters(), check_out_of_range_corrected);
    EXPECT_EQ(texts({input_minUnitSize, input_maxUnitSize}), std::string(row.new_min) + " " + row.new_max);
    EXPECT_EQ(script.alerts, row.alerts);
    script.alerts.clear();
    EXPECT_EQ(check_parameters(), check_all_valid);
    EXPECT_TRUE(script.alerts.empty());
  }
}

TEST_F(Form, TransferCopiesEveryFieldAndChoiceItemIntoItsGlobals)
{
  const std::string command_line = globals();
  get_GUI_parameter_values();
  EXPECT_EQ(globals(), command_line);
  set_form(&form_row::other);
  // 100.5 reads as 100 in the check and reaches the search unchanged.
  input_maxPerf->value("100.5");
  EXPECT_EQ(check_parameters(), 0);
  get_GUI_parameter_values();
  EXPECT_EQ(globals(), "in=/data/in put.fa out=/data/out.torvix seqs=2-9 mode=1 nperf=0 unit=1 "
                       "seq=-1 format=3 comment=1 flank=12 r=6 maxred=20 units=2-8 missense=1 gaps=1 "
                       "Ns=3 score=13,2,1.25 len=11,1,0.5 perf=60-100.5 m=-3 g=-4 longer=1 hidden=0 "
                       "maskX=0 maskLower=1 ");
  // Globals for no item, item 0, 1, ...; for a radio button those when it is on.
  const struct { Fl_Widget *widget; std::vector<const char *> globals; } rows[] = {
      {choice_NPerfection, {"nperf=-1", "nperf=0", "nperf=1", "nperf=2"}},
      {choice_reportUnit, {"unit=-1", "unit=0", "unit=1", "unit=2", "unit=-1"}},
      {choice_printRepeatMode, {"seq=-1", "seq=0", "seq=1", "seq=2"}},
      {choice_outputFormat, {"format=-1 comment=0", "format=0 comment=0", "format=1 comment=0",
                             "format=2 comment=0", "format=2 comment=1", "format=3 comment=0",
                             "format=3 comment=1", "format=4 comment=0", "format=5 comment=0",
                             "format=5 comment=1"}},
      // No item leaves both as they were.
      {choice_mask_Seq, {"maskX=1 maskLower=1", "maskX=0 maskLower=0", "maskX=1 maskLower=0",
                         "maskX=0 maskLower=1"}},
      {choice_removeHidden, {"hidden=0", "hidden=1", "hidden=0"}},
      {radio_modeImperf, {"mode=2"}}, {radio_modeExtend, {"mode=1"}},
      {radio_modePerfec, {"mode=0"}}, {radio_modeCompou, {"mode=0"}},
  };
  for (const auto &row : rows)
    for (int item = -1; item + 1 < static_cast<int>(row.globals.size()); ++item) {
      factory_settings();
      global_mask_X = global_mask_lower = global_sequenceInfoAsComment = true;
      if (auto *choice = dynamic_cast<Fl_Choice *>(row.widget))
        select_item(choice, item);
      else
        set_mode(static_cast<Fl_Round_Button *>(row.widget));
      get_GUI_parameter_values();
      EXPECT_NE(globals().find(row.globals[item + 1] + std::string(" ")), std::string::npos)
          << "item " << item << ": " << globals();
    }
}

TEST_F(FileNames, OverlongNamesAreRefusedNeverCutAndAChosenInputSetsTheOutput)
{
  const std::string longest(1023, 'a');
  for (const std::string &typed : {longest, longest + "b"}) {
    glob_outfile->input->value(typed.c_str());
    glob_outfile->input->do_callback();
  }
  EXPECT_EQ(glob_outfiletext, longest);
  EXPECT_STREQ(glob_outfile->input->value(), glob_outfiletext);
  // Chosen inputs: too long; one whose ".torvix" twin would be too long; two
  // that put the output beside them; then nothing; then an output.
  glob_outfile->assign("/in.torvix");
  script.chosen = {"/" + std::string(1100, 'c') + ".fa", "/" + std::string(1020, 'd'), "/work/dir/x.fa",
                   "/work/dir.d/genome"};
  const std::string outputs[] = {"/in.torvix", "/in.torvix", "/work/dir/x.torvix", "/work/dir.d/genome.torvix",
                                 "/work/dir.d/genome.torvix"};
  for (const std::string &out : outputs) {
    chooser_infile->show_fc_and_update_Text_object();
    EXPECT_EQ(glob_outfiletext, out);
  }
  script.chosen = {"/elsewhere/result.tvx"};
  chooser_outfile->show_fc_and_update_Text_object();
  EXPECT_STREQ(glob_outfiletext, "/elsewhere/result.tvx");
  EXPECT_STREQ(glob_infiletext, "/work/dir.d/genome");
  EXPECT_EQ(script.presets, (std::vector<std::string>{"", "", "/" + std::string(1020, 'd'), "/work/dir/x.fa",
                                                      "/work/dir.d/genome", "/work/dir.d/genome.torvix"}));
  ASSERT_EQ(script.alerts.size(), 3u);
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(script.alerts[i].rfind("A file name longer than 1023 characters cannot be used.", 0), 0u);
  EXPECT_NE(script.alerts[2].find("would be longer than 1023 characters"), std::string::npos);
  // Replacing a long extension by a short one fits.
  glob_infile->assign(("/e." + std::string(1015, 'f')).c_str());
  update_outfile_with_infile(glob_infile, glob_outfile);
  EXPECT_STREQ(glob_outfiletext, "/e.torvix");
  // A compressed genome's output is named after the genome, not "x.fa.torvix".
  for (const char *in : {"/work/x.fa.gz", "/work/x.gz"}) {
    glob_infile->assign(in);
    update_outfile_with_infile(glob_infile, glob_outfile);
    EXPECT_STREQ(glob_outfiletext, "/work/x.torvix") << in;
  }
}

// Guards against the input chooser hiding compressed genomes.
TEST_F(FileNames, TheInputChooserShowsPlainAndGzippedFastaFiles)
{
  const std::string filter = chooser_infile->fc->filter();
  const std::string pattern = filter.substr(filter.find('(') + 1, filter.rfind(')') - filter.find('(') - 1);
  for (const char *name : {"x.fa", "x.fasta", "x.fa.gz", "x.fasta.gz", "x.fas.gz"})
    EXPECT_TRUE(fl_filename_match(name, pattern.c_str())) << name << " " << pattern;
  EXPECT_FALSE(fl_filename_match("x.txt.gz", pattern.c_str()));
}

TEST_F(FileNames, CheckRefusesMissingInputTheInputAsOutputAndAsksBeforeOverwriting)
{
  const std::string dir = scratch_dir() + "/names", in = dir + "/x.fa", old = dir + "/old.torvix";
  mkdir(dir.c_str(), 0755);
  write_file(in, ">s\nACGT\n");
  write_file(old, "old\n");
  const char missing[] = "The specified input file does not exist! Please specify a valid input file!";
  const char same[] = "The output file name is identical to the input file name! Please specify a valid output file!";
  const struct { std::string in, out; int result; std::vector<std::string> alerts; } rows[] = {
      {dir + "/missing.fa", "", -1, {missing}}, {dir, "", -1, {missing}}, {in, in, -2, {same}},
      {in, dir + "/./x.fa", -2, {same}}, {in, dir + "/../names/x.fa", -2, {same}}, {in, "", 0, {}},
      {in, dir + "/new.torvix", 0, {}}, {in, old, 1, {}}, {in, old, 0, {}}};
  script.answers = {0, 1}; // overwriting old: cancelled, then confirmed
  for (const auto &row : rows) {
    glob_infile->assign(row.in.c_str());
    glob_outfile->assign(row.out.c_str());
    EXPECT_EQ(check_filenames(), row.result) << row.in << " -> " << row.out;
    EXPECT_EQ(script.alerts, row.alerts);
    script.alerts.clear();
  }
  EXPECT_EQ(read_file(in), ">s\nACGT\n");
  EXPECT_EQ(script.questions, std::vector<std::string>(2, "The specified output file already exists. "
                                                          "Are you sure you want to overwrite it?"));
}

TEST_F(FileNames, QuitAsksChecksAndWritesTheDefaultPreferences)
{
  const std::string prefs = std::string(getenv("HOME")) + "/.fltk/torvix/torvix.prefs";
  std::remove(prefs.c_str());
  // Cancelled; then a blank flanking field is corrected and the quit refused.
  input_flanking->value("");
  script.answers = {0, 1, 1};
  EXPECT_FALSE(confirm_quit());
  EXPECT_TRUE(script.alerts.empty());
  EXPECT_FALSE(confirm_quit());
  EXPECT_EQ(script.alerts.back(), "Quitting has been aborted due to the attempt to save invalid\n"
                                  "default search parameters for the next call to this program.");
  EXPECT_FALSE(std::ifstream(prefs));
  glob_infile->assign("/some/input.fa");
  EXPECT_TRUE(confirm_quit());
  EXPECT_NE(read_file(prefs).find("Input file:/some/input.fa"), std::string::npos);
  EXPECT_EQ(script.questions, std::vector<std::string>(3, "Are you sure you want to quit?"));
}
