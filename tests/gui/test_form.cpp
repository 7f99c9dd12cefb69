// The form's logic: defaults, enable rules, presets, the check table with its
// alerts and corrections, and the transfer into the global parameter set.
#include <cstring>
#include <tuple>

#include <FL/Fl.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Round_Button.H>
#include <FL/Fl_Scroll.H>
#include <FL/Fl_Window.H>

#include "gui/form_parameters.h"
#include "gui/main_window.h"
#include "gui_test_support.h"
#include "params/global-types-and-parameters.h"

namespace {

using Form = GuiTest;

std::string value(const Fl_Input *field) { return field->value(); }

// Every field and choice away from its default.
void scramble_form()
{
  radio_modeImperf->value(0);
  radio_modePerfec->value(1);
  input_compDist->value("9");
  choice_mask_Seq->value(2);
  Fl_Input *const fields[] = {input_m,        input_g,          input_r,          input_maxRed,
                              input_flanking, input_fromSeq,    input_toSeq,      input_minUnitSize,
                              input_maxUnitSize, input_allowedNs, input_minLen,   input_minLen_a,
                              input_minLen_b, input_minScore,   input_minScore_a, input_minScore_b,
                              input_minPerf,  input_maxPerf};
  for (Fl_Input *f : fields)
    f->value("77");
  check_maxRed->value(1);
  check_scoreFirstUnit->value(1);
  check_gaps_to_Ns->value(1);
  choice_outputFormat->value(6);
  choice_reportUnit->value(0);
  choice_printRepeatMode->value(0);
  choice_NPerfection->value(2);
  choice_removeHidden->value(1);
  check_treatNsAsMis->value(1);
  do_consistency();
}

void expect_defaults()
{
  EXPECT_TRUE(radio_modeImperf->value());
  EXPECT_FALSE(radio_modePerfec->value());
  EXPECT_FALSE(radio_modeExtend->value());
  EXPECT_FALSE(radio_modeCompou->value());
  EXPECT_EQ(value(input_compDist), "5");
  EXPECT_EQ(choice_mask_Seq->value(), 0);
  EXPECT_EQ(value(input_m), "-5");
  EXPECT_EQ(value(input_g), "-5");
  EXPECT_EQ(value(input_r), "5");
  EXPECT_FALSE(check_maxRed->value());
  EXPECT_EQ(value(input_maxRed), "30");
  EXPECT_EQ(choice_outputFormat->value(), 1);
  EXPECT_EQ(choice_reportUnit->value(), 2);
  EXPECT_EQ(choice_printRepeatMode->value(), 2);
  EXPECT_EQ(choice_NPerfection->value(), 0);
  EXPECT_EQ(remember_choice_NPerfection, 0);
  EXPECT_EQ(choice_removeHidden->value(), 0);
  EXPECT_EQ(value(input_flanking), "0");
  EXPECT_EQ(value(input_fromSeq), "1");
  EXPECT_EQ(value(input_toSeq), "");
  EXPECT_EQ(value(input_minUnitSize), "1");
  EXPECT_EQ(value(input_maxUnitSize), "10");
  EXPECT_EQ(value(input_allowedNs), "2");
  EXPECT_FALSE(check_scoreFirstUnit->value());
  EXPECT_FALSE(check_treatNsAsMis->value());
  EXPECT_FALSE(check_gaps_to_Ns->value());
  EXPECT_EQ(value(input_minLen), "0");
  EXPECT_EQ(value(input_minLen_a), "0");
  EXPECT_EQ(value(input_minLen_b), "0");
  EXPECT_EQ(value(input_minScore), "6");
  EXPECT_EQ(value(input_minScore_a), "0");
  EXPECT_EQ(value(input_minScore_b), "1");
  EXPECT_EQ(value(input_minPerf), "0");
  EXPECT_EQ(value(input_maxPerf), "100");
  // The enabled states follow the defaults.
  EXPECT_TRUE(choice_NPerfection->active());
  EXPECT_TRUE(input_m->active());
  EXPECT_FALSE(input_maxRed->active());
  EXPECT_FALSE(input_compDist->active());
}

// The button of the form with this label.
Fl_Widget *find_button(Fl_Group *g, const char *label)
{
  for (int i = 0; i < g->children(); ++i) {
    Fl_Widget *w = g->child(i);
    if (w->label() && std::strcmp(w->label(), label) == 0)
      return w;
    if (Fl_Group *sub = dynamic_cast<Fl_Group *>(w))
      if (Fl_Widget *found = find_button(sub, label))
        return found;
  }
  return nullptr;
}

} // namespace

TEST_F(Form, ResetRestoresEveryDefaultAndTheEnableRules)
{
  expect_defaults();
  scramble_form();
  factory_settings();
  expect_defaults();

  scramble_form();
  Fl_Widget *reset = find_button(main_scroll, "Reset parameters");
  ASSERT_NE(reset, nullptr);
  reset->do_callback();
  expect_defaults();
  EXPECT_TRUE(script.alerts.empty());
}

TEST_F(Form, WindowOnASmallScreenIs30PixelsShorterAndTheFormScrolls)
{
  // The test form was built for a screen 1024 x 700.
  EXPECT_EQ(main_window->w(), 835);
  EXPECT_EQ(main_window->h(), 670);
  EXPECT_EQ(main_scroll->x(), 0);
  EXPECT_EQ(main_scroll->y(), 0);
  EXPECT_EQ(main_scroll->w(), 835);
  EXPECT_EQ(main_scroll->h(), 670);
  EXPECT_EQ(main_window->resizable(), main_scroll);
  EXPECT_STREQ(main_window->label(), "Torvix, version 3.3.11");
  main_window->show();
  Fl::check();
  Fl::flush();
  EXPECT_TRUE(main_scroll->scrollbar.visible());
  // The lowest widgets lie below the window and are reached by scrolling.
  main_scroll->position(0, 100);
  EXPECT_EQ(choice_printRepeatMode->y(), 720 - 100);
  main_scroll->position(0, 0);
  main_window->hide();
  // The hidden widgets carry values only.
  EXPECT_FALSE(radio_modeCompou->visible());
  EXPECT_FALSE(input_compDist->visible());
  EXPECT_FALSE(check_scoreFirstUnit->visible());
}

TEST_F(Form, EnableRulesFollowModeMaxReductionAndNTreatment)
{
  check_maxRed->value(1);
  callback_check_maxRed();
  EXPECT_TRUE(input_maxRed->active());
  check_maxRed->value(0);
  callback_check_maxRed();
  EXPECT_FALSE(input_maxRed->active());

  // Perfect search: the scores stay disabled whatever the box says.
  radio_modeImperf->value(0);
  radio_modePerfec->value(1);
  check_maxRed->value(1);
  do_consistency();
  for (Fl_Widget *w : {static_cast<Fl_Widget *>(input_m), static_cast<Fl_Widget *>(input_g),
                       static_cast<Fl_Widget *>(input_r), static_cast<Fl_Widget *>(check_maxRed),
                       static_cast<Fl_Widget *>(input_maxRed)})
    EXPECT_FALSE(w->active());
  radio_modePerfec->value(0);
  radio_modeExtend->value(1);
  do_consistency();
  EXPECT_TRUE(input_m->active());
  EXPECT_TRUE(input_maxRed->active());

  radio_modeExtend->value(0);
  radio_modeCompou->value(1);
  do_consistency();
  EXPECT_TRUE(input_compDist->active());

  // N's as missense force "as mismatch"; clearing the box brings back the item.
  choice_NPerfection->value(2);
  check_treatNsAsMis->value(1);
  do_consistency();
  EXPECT_EQ(choice_NPerfection->value(), 0);
  EXPECT_FALSE(choice_NPerfection->active());
  EXPECT_EQ(remember_choice_NPerfection, 2);
  do_consistency();
  EXPECT_EQ(remember_choice_NPerfection, 2);
  check_treatNsAsMis->value(0);
  do_consistency();
  EXPECT_EQ(choice_NPerfection->value(), 2);
  EXPECT_TRUE(choice_NPerfection->active());

  // An item chosen while the box is off survives the other rules.
  choice_NPerfection->value(1);
  radio_modeExtend->value(0);
  radio_modeImperf->value(1);
  do_consistency();
  EXPECT_EQ(choice_NPerfection->value(), 1);

  // No item chosen is remembered as none, and restored as none.
  select_item(choice_NPerfection, -1);
  check_treatNsAsMis->value(1);
  do_consistency();
  EXPECT_EQ(remember_choice_NPerfection, -1);
  check_treatNsAsMis->value(0);
  do_consistency();
  EXPECT_EQ(choice_NPerfection->value(), -1);
}

TEST_F(Form, PresetsSetTheirFieldsAndLeaveMaximumPerfection)
{
  input_maxPerf->value("90");
  input_minPerf->value("50");
  callback_typical_imperfect_search(nullptr, reinterpret_cast<void *>(2));
  EXPECT_EQ(value(input_m), "-4");
  EXPECT_EQ(value(input_g), "-4");
  EXPECT_EQ(value(input_r), "3");
  callback_typical_imperfect_search(nullptr, reinterpret_cast<void *>(1));
  EXPECT_EQ(value(input_m), "-5");
  EXPECT_EQ(value(input_g), "-5");
  EXPECT_EQ(value(input_r), "5");
  callback_typical_imperfect_search(nullptr, reinterpret_cast<void *>(7));
  EXPECT_EQ(value(input_r), "3");

  callback_typical_minRequirements(nullptr, reinterpret_cast<void *>(1));
  const std::vector<std::string> length{value(input_minLen),     value(input_minLen_a),
                                        value(input_minLen_b),   value(input_minScore),
                                        value(input_minScore_a), value(input_minScore_b),
                                        value(input_minPerf)};
  EXPECT_EQ(length, (std::vector<std::string>{"8", "0", "2", "0", "0", "0", "0"}));
  callback_typical_minRequirements(nullptr, reinterpret_cast<void *>(2));
  const std::vector<std::string> score{value(input_minLen),     value(input_minLen_a),
                                       value(input_minLen_b),   value(input_minScore),
                                       value(input_minScore_a), value(input_minScore_b),
                                       value(input_minPerf)};
  EXPECT_EQ(score, (std::vector<std::string>{"0", "0", "0", "6", "0", "1", "0"}));
  EXPECT_EQ(value(input_maxPerf), "90");

  // Presets end with the enable rules.
  radio_modeImperf->value(0);
  radio_modePerfec->value(1);
  callback_typical_imperfect_search(nullptr, reinterpret_cast<void *>(1));
  EXPECT_FALSE(input_m->active());
}

namespace {

struct check_row {
  Fl_Input **field;
  const char *bad_text;
  const char *alert;
  const char *corrected;
  int result;
};

const char length_blank[] =
    "A \"minimum length\" input field was blank and has been set to its default value.";
const char score_blank[] =
    "A \"minimum score\" input field was blank and has been set to its default value.";

const check_row check_rows[] = {
    {&input_fromSeq, "0", "The \"From sequence\" value cannot be less than 1. It has been adjusted to 1", "1", -1},
    {&input_fromSeq, "-3", "The \"From sequence\" value cannot be less than 1. It has been adjusted to 1", "1", -1},
    {&input_toSeq, "0", "The \"To sequence\" value cannot be less than 1. It has been adjusted to \"last sequence\"", "", -1},
    {&input_minUnitSize, "0", "The \"Minimum unit size\" cannot be less than 1. It has been adjusted to 1", "1", -1},
    {&input_minUnitSize, "", "The \"Minimum unit size\" cannot be less than 1. It has been adjusted to 1", "1", -1},
    {&input_maxUnitSize, "0", "The \"Maximum unit size\" cannot be smaller than the minimum unit size. Its value has been set to its default value.", "10", -1},
    {&input_maxUnitSize, "10001", "The \"Maximum unit size\" cannot be greater than 10000. Its value has been adjusted to 10000.", "10000", -1},
    {&input_minPerf, "101", "The \"Minimum perfection\" cannot be greater than 100%. Its value has been adjusted to 100%.", "100", -1},
    {&input_maxPerf, "150", "The \"Maximum perfection\" cannot be greater than 100%. Its value has been adjusted to 100%.", "100", -1},
    {&input_minPerf, "-1", "The \"Minimum perfection\" cannot be less than 0%. Its value has been adjusted to 0%.", "0", -1},
    {&input_maxPerf, "-1.5", "The \"Maximum perfection\" cannot be less than 0%. Its value has been adjusted to 0%.", "0", -1},
    {&input_allowedNs, "-1", "The \"Maximum number of allowed Ns\" cannot be negative. Its value has been adjusted to 0.", "0", -1},
    {&input_flanking, "-2", "The \"Number of flanking nucleotides\" cannot be negative. Its value has been adjusted to zero.", "0", -1},
    {&input_r, "0", "The \"recursion depth\" must be greater or equal to 1.\nA value of 0 would corresponds to a perfect search.", "5", -2},
    {&input_r, "", "The \"recursion depth\" must be greater or equal to 1.\nA value of 0 would corresponds to a perfect search.", "5", -2},
    {&input_m, "0", "The \"mismatch score\" must be negative. Its value has been adjusted to -5.", "-5", -1},
    {&input_m, "3", "The \"mismatch score\" must be negative. Its value has been adjusted to -5.", "-5", -1},
    {&input_g, "0", "The \"gap score\" must be negative. Its value has been adjusted to -5.", "-5", -1},
    {&input_maxRed, "-1", "The \"maximum score reduction\" cannot be negative. Its value has been adjusted to its default value.", "30", -1},
    {&input_flanking, "", "The \"flanking nucleotides\" input field was blank and has been set to its default value.", "0", -2},
    {&input_flanking, "-", "The \"flanking nucleotides\" input field was blank and has been set to its default value.", "0", -2},
    {&input_minPerf, "", "The \"minimum perfection\" input field was blank and has been set to its default value.", "0", -2},
    {&input_maxPerf, "", "The \"maximum perfection\" input field was blank and has been set to its default value.", "100", -2},
    {&input_allowedNs, "", "The \"maximum number of allowed Ns\" input field was blank and has been set to its default value.", "2", -2},
    {&input_minLen, "", length_blank, "0", -2},
    {&input_minLen_a, "", length_blank, "0", -2},
    {&input_minLen_b, "-", length_blank, "0", -2},
    {&input_minScore, "", score_blank, "6", -2},
    {&input_minScore_a, "", score_blank, "0", -2},
    {&input_minScore_b, "", score_blank, "1", -2},
};

} // namespace

TEST_F(Form, EveryCheckRowShowsItsAlertCorrectsTheFieldAndClassifiesTheResult)
{
  EXPECT_EQ(check_parameters(), 0);
  EXPECT_TRUE(script.alerts.empty());
  for (const check_row &row : check_rows) {
    SCOPED_TRACE(std::string("field text \"") + row.bad_text + "\", alert: " + row.alert);
    factory_settings();
    script.alerts.clear();
    (*row.field)->value(row.bad_text);
    EXPECT_EQ(check_parameters(), row.result);
    EXPECT_EQ(script.alerts, std::vector<std::string>{row.alert});
    EXPECT_EQ(value(*row.field), row.corrected);
    // The corrected form passes.
    script.alerts.clear();
    EXPECT_EQ(check_parameters(), 0);
    EXPECT_TRUE(script.alerts.empty());
  }
}

TEST_F(Form, CheckEdgeCasesFollowIntegerReadingAndRowOrder)
{
  // 100.5 reads as 100: it passes and reaches the engine unchanged.
  input_minPerf->value("100.5");
  EXPECT_EQ(check_parameters(), 0);
  get_GUI_parameter_values();
  EXPECT_EQ(global_min_perfection, 100.5f);

  // The maximum is reset to its default, even when that stays below the minimum.
  input_minUnitSize->value("8");
  input_maxUnitSize->value("3");
  EXPECT_EQ(check_parameters(), -1);
  EXPECT_EQ(value(input_maxUnitSize), "10");

  // A blank maximum reduction counts only while the box is on.
  factory_settings();
  input_maxRed->value("");
  EXPECT_EQ(check_parameters(), 0);
  check_maxRed->value(1);
  script.alerts.clear();
  EXPECT_EQ(check_parameters(), -2);
  EXPECT_EQ(script.alerts, std::vector<std::string>{"The \"maximum reduction\" input field was "
                                                    "blank and has been set to its default value."});
  EXPECT_EQ(value(input_maxRed), "30");

  // An out-of-range value wins over a blank one; alerts come in row order.
  factory_settings();
  script.alerts.clear();
  input_minScore_b->value("");
  input_fromSeq->value("0");
  input_toSeq->value("");
  EXPECT_EQ(check_parameters(), -1);
  ASSERT_EQ(script.alerts.size(), 2u);
  EXPECT_EQ(script.alerts[0].substr(0, 25), "The \"From sequence\" value");
  EXPECT_EQ(script.alerts[1], score_blank);
  EXPECT_EQ(value(input_toSeq), "");

  // Blank sequence bounds are valid: first and last sequence.
  factory_settings();
  input_fromSeq->value("");
  EXPECT_EQ(check_parameters(), 0);
}

namespace {

// Selects item i of c and returns the transferred global read by get.
template <class T> T transferred(Fl_Choice *c, int i, const T &global)
{
  select_item(c, i);
  get_GUI_parameter_values();
  return global;
}

} // namespace

TEST_F(Form, TransferCopiesEveryChoiceItemIntoItsGlobal)
{
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(transferred(choice_NPerfection, i, global_N_and_perfection_mode), i);
    EXPECT_EQ(transferred(choice_reportUnit, i, global_report_unit_mode), i);
    EXPECT_EQ(transferred(choice_printRepeatMode, i, global_print_sat_seq_mode), i);
  }
  EXPECT_EQ(transferred(choice_NPerfection, -1, global_N_and_perfection_mode), -1);
  EXPECT_EQ(transferred(choice_reportUnit, -1, global_report_unit_mode), -1);
  EXPECT_EQ(transferred(choice_printRepeatMode, -1, global_print_sat_seq_mode), -1);

  const int format[] = {0, 1, 2, 2, 3, 3, 4};
  const bool comment[] = {false, false, false, true, false, true, false};
  for (int i = 0; i < 7; ++i) {
    SCOPED_TRACE(i);
    select_item(choice_outputFormat, i);
    get_GUI_parameter_values();
    EXPECT_EQ(global_print_sat_mode, format[i]);
    EXPECT_EQ(global_sequenceInfoAsComment, comment[i]);
  }
  global_sequenceInfoAsComment = true;
  select_item(choice_outputFormat, -1);
  get_GUI_parameter_values();
  EXPECT_EQ(global_print_sat_mode, -1);
  EXPECT_FALSE(global_sequenceInfoAsComment);

  const bool mask_x[] = {false, true, false};
  const bool mask_lower[] = {false, false, true};
  for (int i = 0; i < 3; ++i) {
    select_item(choice_mask_Seq, i);
    get_GUI_parameter_values();
    EXPECT_EQ(global_mask_X, mask_x[i]);
    EXPECT_EQ(global_mask_lower, mask_lower[i]);
  }
  // No item leaves both as they were.
  select_item(choice_mask_Seq, -1);
  get_GUI_parameter_values();
  EXPECT_FALSE(global_mask_X);
  EXPECT_TRUE(global_mask_lower);

  EXPECT_TRUE(transferred(choice_removeHidden, 0, global_remove_mostly_hidden));
  EXPECT_FALSE(transferred(choice_removeHidden, 1, global_remove_mostly_hidden));
  EXPECT_FALSE(transferred(choice_removeHidden, -1, global_remove_mostly_hidden));

  // Items that are not in the menu select nothing.
  select_item(choice_reportUnit, 3);
  EXPECT_EQ(choice_reportUnit->value(), -1);
}

TEST_F(Form, TransferOfTheDefaultsGivesTheCommandLineDefaults)
{
  glob_infile->assign("in.fa");
  glob_outfile->assign("out.torvix");
  // Every global away from its default first, so that nothing passes by accident.
  global_sequence_from = 9;
  global_sequence_to = 9;
  global_search_mode = 0;
  global_flanking = 9;
  global_maximum_recursion_depth = 9;
  global_maximum_scorereduction = 9;
  global_min_unit_length = 9;
  global_max_unit_length = 9;
  global_treat_Ns_as_missense = true;
  global_gaps_to_Ns = true;
  global_Ns_allowed_in_a_row = 9;
  global_min_score = global_min_score_a = global_min_length = global_min_length_a = 9;
  global_min_score_bx = global_min_length_bx = global_min_perfection = global_max_perfection = 9;
  global_mismatch_score = global_indel_score = 9;
  global_prefer_longer_repeat = 0;
  global_remove_mostly_hidden = false;
  global_mask_lower = true;
  get_GUI_parameter_values();

  EXPECT_EQ(global_input_filename, "in.fa");
  EXPECT_EQ(global_output_filename, "out.torvix");
  const std::string in = global_input_filename, out = global_output_filename;
  init_param();
  global_input_filename = in;
  global_output_filename = out;
  // init_param holds the command line's defaults; the transfer must equal them.
  auto take = [] {
    return std::make_tuple(
        global_sequence_from, global_sequence_to, global_search_mode, global_N_and_perfection_mode,
        global_report_unit_mode, global_print_sat_seq_mode, global_print_sat_mode,
        global_sequenceInfoAsComment, global_flanking, global_maximum_recursion_depth,
        global_maximum_scorereduction, global_min_unit_length, global_max_unit_length,
        global_treat_Ns_as_missense, global_Ns_allowed_in_a_row, global_min_score,
        global_min_score_a, global_min_score_bx, global_min_length, global_min_length_a,
        global_min_length_bx, global_min_perfection, global_max_perfection, global_mismatch_score,
        global_indel_score, global_prefer_longer_repeat, global_remove_mostly_hidden,
        global_mask_X, global_mask_lower, global_gaps_to_Ns);
  };
  const auto defaults = take();
  get_GUI_parameter_values();
  EXPECT_TRUE(take() == defaults);
  EXPECT_EQ(global_sequence_to, all_sequences);
  EXPECT_EQ(global_maximum_scorereduction, infinite_score_reduction);
}

TEST_F(Form, TransferReadsFieldsModeAndMaximumReduction)
{
  input_fromSeq->value("3");
  input_toSeq->value("12");
  input_flanking->value("4");
  input_r->value("7");
  input_maxRed->value("25");
  input_minUnitSize->value("2");
  input_maxUnitSize->value("6");
  input_allowedNs->value("0");
  input_minScore->value("20");
  input_minScore_a->value("-2");
  input_minScore_b->value("1.5");
  input_minLen->value("12");
  input_minLen_a->value("3");
  input_minLen_b->value("0.25");
  input_minPerf->value("70.5");
  input_maxPerf->value("99.9");
  input_m->value("-3");
  input_g->value("-7");
  check_treatNsAsMis->value(1);
  check_gaps_to_Ns->value(1);
  get_GUI_parameter_values();
  EXPECT_EQ(global_sequence_from, 3u);
  EXPECT_EQ(global_sequence_to, 12u);
  EXPECT_EQ(global_flanking, 4);
  EXPECT_EQ(global_maximum_recursion_depth, 7);
  EXPECT_EQ(global_maximum_scorereduction, infinite_score_reduction);
  EXPECT_EQ(global_min_unit_length, 2u);
  EXPECT_EQ(global_max_unit_length, 6u);
  EXPECT_EQ(global_Ns_allowed_in_a_row, 0);
  EXPECT_EQ(global_min_score, 20);
  EXPECT_EQ(global_min_score_a, -2);
  EXPECT_EQ(global_min_score_bx, 1.5f);
  EXPECT_EQ(global_min_length, 12);
  EXPECT_EQ(global_min_length_a, 3);
  EXPECT_EQ(global_min_length_bx, 0.25f);
  EXPECT_EQ(global_min_perfection, 70.5f);
  EXPECT_EQ(global_max_perfection, static_cast<float>(99.9));
  EXPECT_EQ(global_mismatch_score, -3);
  EXPECT_EQ(global_indel_score, -7);
  EXPECT_TRUE(global_treat_Ns_as_missense);
  EXPECT_TRUE(global_gaps_to_Ns);

  check_maxRed->value(1);
  get_GUI_parameter_values();
  EXPECT_EQ(global_maximum_scorereduction, 25);

  const struct {
    Fl_Round_Button *on;
    int mode;
  } modes[] = {{radio_modeImperf, 2}, {radio_modeExtend, 1}, {radio_modePerfec, 0}, {radio_modeCompou, 0}};
  for (const auto &m : modes) {
    for (Fl_Round_Button *r : {radio_modeImperf, radio_modeExtend, radio_modePerfec, radio_modeCompou})
      r->value(r == m.on);
    get_GUI_parameter_values();
    EXPECT_EQ(global_search_mode, m.mode);
  }
}
