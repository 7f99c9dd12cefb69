#include "form_parameters.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>

#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Round_Button.H>

#include "formats/report_format.h"
#include "run/run_files.h"
#include "gui/gui_dialogs.h"
#include "gui/main_window.h"
#include "params/global-types-and-parameters.h"

signed char remember_choice_NPerfection = 0;

bool is_blank_or_minus(const char *text) { return text[0] == '\0' || std::strcmp(text, "-") == 0; }

int field_int(const Fl_Input *field)
{
  long v = std::strtol(field->value(), nullptr, 10);
  if (v > INT_MAX)
    return INT_MAX;
  if (v < INT_MIN)
    return INT_MIN;
  return static_cast<int>(v);
}

static float field_float(const Fl_Input *field)
{
  return static_cast<float>(std::strtod(field->value(), nullptr));
}

int chosen_item(const Fl_Choice *choice) { return choice->value(); }

void select_item(Fl_Choice *choice, int i)
{
  if (i >= 0 && i < choice->size() - 1)
    choice->value(i);
  else
    choice->value(static_cast<const Fl_Menu_Item *>(nullptr));
}

static void enable(Fl_Widget *w, bool on)
{
  if (on)
    w->activate();
  else
    w->deactivate();
}

void factory_settings()
{
  radio_modeImperf->value(1);
  radio_modeExtend->value(0);
  radio_modePerfec->value(0);
  radio_modeCompou->value(0);
  input_compDist->value("5");
  select_item(choice_mask_Seq, 0);
  input_m->value("-5");
  input_g->value("-5");
  input_r->value("5");
  check_maxRed->value(0);
  input_maxRed->value("30");
  select_item(choice_outputFormat, 1);
  select_item(choice_reportUnit, 2);
  select_item(choice_printRepeatMode, 2);
  select_item(choice_NPerfection, 0);
  remember_choice_NPerfection = 0;
  select_item(choice_removeHidden, 0);
  input_flanking->value("0");
  input_fromSeq->value("1");
  input_toSeq->value("");
  input_minUnitSize->value("1");
  input_maxUnitSize->value("10");
  input_allowedNs->value("2");
  check_scoreFirstUnit->value(0);
  check_treatNsAsMis->value(0);
  check_gaps_to_Ns->value(0);
  input_minLen->value("0");
  input_minLen_a->value("0");
  input_minLen_b->value("0");
  input_minScore->value("6");
  input_minScore_a->value("0");
  input_minScore_b->value("1");
  input_minPerf->value("0");
  input_maxPerf->value("100");
  do_consistency();
}

void do_consistency()
{
  enable(input_compDist, radio_modeCompou->value());

  // The remembered item comes back only when the box is cleared, so that an
  // item chosen while the box is off survives the other enable rules.
  if (!check_treatNsAsMis->value()) {
    if (!choice_NPerfection->active())
      select_item(choice_NPerfection, remember_choice_NPerfection);
    choice_NPerfection->activate();
  } else {
    if (choice_NPerfection->active())
      remember_choice_NPerfection = static_cast<signed char>(chosen_item(choice_NPerfection));
    select_item(choice_NPerfection, 0);
    choice_NPerfection->deactivate();
  }

  if (radio_modePerfec->value()) {
    input_m->deactivate();
    input_g->deactivate();
    input_r->deactivate();
    check_maxRed->deactivate();
    input_maxRed->deactivate();
    return;
  }
  input_m->activate();
  input_g->activate();
  input_r->activate();
  check_maxRed->activate();
  enable(input_maxRed, check_maxRed->value());
}

void callback_check_maxRed() { do_consistency(); }

void callback_typical_imperfect_search(Fl_Widget *, void *which)
{
  if (reinterpret_cast<long>(which) == 1) {
    input_m->value("-5");
    input_g->value("-5");
    input_r->value("5");
  } else {
    input_m->value("-4");
    input_g->value("-4");
    input_r->value("3");
  }
  do_consistency();
}

void callback_typical_minRequirements(Fl_Widget *, void *which)
{
  if (reinterpret_cast<long>(which) == 1) {
    input_minLen->value("8");
    input_minLen_a->value("0");
    input_minLen_b->value("2");
    input_minScore->value("0");
    input_minScore_a->value("0");
    input_minScore_b->value("0");
  } else {
    input_minLen->value("0");
    input_minLen_a->value("0");
    input_minLen_b->value("0");
    input_minScore->value("6");
    input_minScore_a->value("0");
    input_minScore_b->value("1");
  }
  input_minPerf->value("0");
  do_consistency();
}

int check_parameters()
{
  bool out_of_range = false;
  bool blank = false;
  // The alert comes first, then the field shows its new text, which the
  // later rows see.
  auto range_error = [&](Fl_Input *field, const char *new_text) {
    field->value(new_text);
    out_of_range = true;
  };
  auto blank_field = [&](Fl_Input *field, const char *new_text) {
    field->value(new_text);
    blank = true;
  };
  auto is_blank = [](const Fl_Input *field) { return is_blank_or_minus(field->value()); };

  if (field_int(input_fromSeq) < 1 && !is_blank(input_fromSeq)) {
    gui_alert("The \"From sequence\" value cannot be less than 1. It has been adjusted to 1");
    range_error(input_fromSeq, "1");
  }
  if (field_int(input_toSeq) < 1 && !is_blank(input_toSeq)) {
    gui_alert("The \"To sequence\" value cannot be less than 1. It has been adjusted to \"last "
              "sequence\"");
    range_error(input_toSeq, "");
  }
  if (field_int(input_minUnitSize) < 1) {
    gui_alert("The \"Minimum unit size\" cannot be less than 1. It has been adjusted to 1");
    range_error(input_minUnitSize, "1");
  }
  // The engine's tables end at this unit length; a larger minimum would make
  // the maximum's correction below leave it smaller than the minimum.
  if (field_int(input_minUnitSize) > static_cast<int>(max_allowed_unit_length)) {
    gui_alert("The \"Minimum unit size\" cannot be greater than %u. Its value has been adjusted "
              "to %u.",
              max_allowed_unit_length, max_allowed_unit_length);
    range_error(input_minUnitSize, std::to_string(max_allowed_unit_length).c_str());
  }
  // The default maximum is still below a minimum of 11 or more; then only the
  // minimum itself makes a consistent pair.
  if (field_int(input_maxUnitSize) < field_int(input_minUnitSize)) {
    if (field_int(input_minUnitSize) <= 10) {
      gui_alert("The \"Maximum unit size\" cannot be smaller than the minimum unit size. Its value "
                "has been set to its default value.");
      range_error(input_maxUnitSize, "10");
    } else {
      gui_alert("The \"Maximum unit size\" cannot be smaller than the minimum unit size. Its value "
                "has been set to the minimum unit size.");
      range_error(input_maxUnitSize, std::to_string(field_int(input_minUnitSize)).c_str());
    }
  }
  if (field_int(input_maxUnitSize) > static_cast<int>(max_allowed_unit_length)) {
    gui_alert("The \"Maximum unit size\" cannot be greater than %u. Its value has been adjusted "
              "to %u.",
              max_allowed_unit_length, max_allowed_unit_length);
    range_error(input_maxUnitSize, std::to_string(max_allowed_unit_length).c_str());
  }
  if (field_int(input_minPerf) > 100) {
    gui_alert("The \"Minimum perfection\" cannot be greater than 100%%. Its value has been "
              "adjusted to 100%%.");
    range_error(input_minPerf, "100");
  }
  if (field_int(input_maxPerf) > 100) {
    gui_alert("The \"Maximum perfection\" cannot be greater than 100%%. Its value has been "
              "adjusted to 100%%.");
    range_error(input_maxPerf, "100");
  }
  if (field_int(input_minPerf) < 0) {
    gui_alert("The \"Minimum perfection\" cannot be less than 0%%. Its value has been adjusted "
              "to 0%%.");
    range_error(input_minPerf, "0");
  }
  if (field_int(input_maxPerf) < 0) {
    gui_alert("The \"Maximum perfection\" cannot be less than 0%%. Its value has been adjusted "
              "to 0%%.");
    range_error(input_maxPerf, "0");
  }
  if (field_int(input_allowedNs) < 0) {
    gui_alert("The \"Maximum number of allowed Ns\" cannot be negative. Its value has been "
              "adjusted to 0.");
    range_error(input_allowedNs, "0");
  }
  if (field_int(input_flanking) < 0) {
    gui_alert("The \"Number of flanking nucleotides\" cannot be negative. Its value has been "
              "adjusted to zero.");
    range_error(input_flanking, "0");
  }
  if (field_int(input_r) < 1) {
    gui_alert("The \"recursion depth\" must be greater or equal to 1.\nA value of 0 would "
              "corresponds to a perfect search.");
    blank_field(input_r, "5");
  }
  if (field_int(input_m) >= 0) {
    gui_alert("The \"mismatch score\" must be negative. Its value has been adjusted to -5.");
    range_error(input_m, "-5");
  }
  if (field_int(input_g) >= 0) {
    gui_alert("The \"gap score\" must be negative. Its value has been adjusted to -5.");
    range_error(input_g, "-5");
  }
  if (field_int(input_maxRed) < 0) {
    gui_alert("The \"maximum score reduction\" cannot be negative. Its value has been adjusted to "
              "its default value.");
    range_error(input_maxRed, "30");
  }
  if (is_blank(input_flanking)) {
    gui_alert("The \"flanking nucleotides\" input field was blank and has been set to its default "
              "value.");
    blank_field(input_flanking, "0");
  }
  if (is_blank(input_minPerf)) {
    gui_alert("The \"minimum perfection\" input field was blank and has been set to its default "
              "value.");
    blank_field(input_minPerf, "0");
  }
  if (is_blank(input_maxPerf)) {
    gui_alert("The \"maximum perfection\" input field was blank and has been set to its default "
              "value.");
    blank_field(input_maxPerf, "100");
  }
  if (check_maxRed->value() && is_blank(input_maxRed)) {
    gui_alert("The \"maximum reduction\" input field was blank and has been set to its default "
              "value.");
    blank_field(input_maxRed, "30");
  }
  if (is_blank(input_allowedNs)) {
    gui_alert("The \"maximum number of allowed Ns\" input field was blank and has been set to its "
              "default value.");
    blank_field(input_allowedNs, "2");
  }
  const struct {
    Fl_Input *field;
    const char *default_text;
    bool is_score;
  } requirement_fields[] = {{input_minLen, "0", false},   {input_minLen_a, "0", false},
                            {input_minLen_b, "0", false}, {input_minScore, "6", true},
                            {input_minScore_a, "0", true}, {input_minScore_b, "1", true}};
  for (const auto &r : requirement_fields) {
    if (!is_blank(r.field))
      continue;
    if (r.is_score)
      gui_alert("A \"minimum score\" input field was blank and has been set to its default value.");
    else
      gui_alert("A \"minimum length\" input field was blank and has been set to its default value.");
    blank_field(r.field, r.default_text);
  }

  if (out_of_range)
    return check_out_of_range_corrected;
  if (blank)
    return check_blank_corrected;
  return check_all_valid;
}

bool fileExists(const char *name)
{
  FILE *f = std::fopen(name, "r");
  if (!f)
    return false;
  // A directory opens for reading on Linux but is no file to read.
  struct stat st;
  bool is_file = fstat(fileno(f), &st) == 0 && !S_ISDIR(st.st_mode);
  std::fclose(f);
  return is_file;
}

int check_filenames()
{
  if (!fileExists(glob_infiletext)) {
    gui_alert("The specified input file does not exist! Please specify a valid input file!");
    return -1;
  }
  // Opening the output truncates it: the input must never be reached through
  // another spelling of its name either.
  if (std::strcmp(glob_outfiletext, glob_infiletext) == 0 ||
      (glob_outfiletext[0] != '\0' && same_file(glob_outfiletext, glob_infiletext))) {
    gui_alert("The output file name is identical to the input file name! Please specify a valid "
              "output file!");
    return -2;
  }
  if (glob_outfiletext[0] != '\0' && fileExists(glob_outfiletext)) {
    if (gui_choice("The specified output file already exists. Are you sure you want to overwrite it?",
                   "Cancel", "Overwrite") == 1)
      return 0;
    return 1;
  }
  return 0;
}

void get_GUI_parameter_values()
{
  global_input_filename = glob_infiletext;
  global_output_filename = glob_outfiletext;

  int from = field_int(input_fromSeq);
  global_sequence_from = from == 0 ? 1u : static_cast<unsigned>(from);
  int to = field_int(input_toSeq);
  global_sequence_to = to == 0 ? all_sequences : static_cast<unsigned>(to);

  if (radio_modeImperf->value())
    global_search_mode = 2;
  else if (radio_modeExtend->value())
    global_search_mode = 1;
  else
    global_search_mode = 0;

  switch (chosen_item(choice_mask_Seq)) {
  case 0:
    global_mask_X = false;
    global_mask_lower = false;
    break;
  case 1:
    global_mask_X = true;
    global_mask_lower = false;
    break;
  case 2:
    global_mask_X = false;
    global_mask_lower = true;
    break;
  default:
    break;
  }

  global_N_and_perfection_mode = chosen_item(choice_NPerfection);
  global_report_unit_mode = chosen_item(choice_reportUnit);
  global_print_sat_seq_mode = chosen_item(choice_printRepeatMode);

  const std::vector<format_menu_item> &formats = output_format_menu();
  const int item = chosen_item(choice_outputFormat);
  if (item >= 0 && item < static_cast<int>(formats.size())) {
    global_print_sat_mode = formats[static_cast<size_t>(item)].format;
    global_sequenceInfoAsComment = formats[static_cast<size_t>(item)].comments;
  } else {
    global_print_sat_mode = -1;
    global_sequenceInfoAsComment = false;
  }

  global_flanking = field_int(input_flanking);
  global_maximum_recursion_depth = field_int(input_r);
  global_maximum_scorereduction =
      check_maxRed->value() ? field_int(input_maxRed) : infinite_score_reduction;
  global_min_unit_length = static_cast<unsigned>(field_int(input_minUnitSize));
  global_max_unit_length = static_cast<unsigned>(field_int(input_maxUnitSize));
  global_treat_Ns_as_missense = check_treatNsAsMis->value() != 0;
  global_gaps_to_Ns = check_gaps_to_Ns->value() != 0;
  global_Ns_allowed_in_a_row = field_int(input_allowedNs);
  global_min_score = field_int(input_minScore);
  global_min_score_a = field_int(input_minScore_a);
  global_min_score_bx = field_float(input_minScore_b);
  global_min_length = field_int(input_minLen);
  global_min_length_a = field_int(input_minLen_a);
  global_min_length_bx = field_float(input_minLen_b);
  global_min_perfection = field_float(input_minPerf);
  global_max_perfection = field_float(input_maxPerf);
  global_prefer_longer_repeat = 1;
  global_mismatch_score = field_int(input_m);
  global_indel_score = field_int(input_g);
  global_remove_mostly_hidden = chosen_item(choice_removeHidden) == 0;
}
