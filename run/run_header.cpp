#include "run_header.h"

#include "formats/report_format.h"
#include "params/global-types-and-parameters.h"
#include "params/number2cstring.h"

static const char welcome_str[] =
    "\n\n"
    "      Welcome to Torvix, version " TORVIX_VERSION ",\n"
    "      a microsatellite and satellite search tool.\n"
    "      Torvix is free to use, copy and redistribute under the terms of\n"
    "      the licence that accompanies its source code.\n"
    "      Torvix comes without warranty!\n"
    "\n";

void torvix_welcome(FILE *f) { general_PrintMessage(f, welcome_str); }

void creator_message(FILE *f, const char *prefix)
{
  general_PrintMessage(f, prefix, "Results computed with:\n");
  general_PrintMessage(f, prefix, "   Torvix, version " TORVIX_VERSION "\n");
}

// One "label SEP value" line of the parameter block.
static void parameter_line(FILE *f, const char *prefix, const char *label, const char *sep,
                           const char *value)
{
  general_PrintMessage(f, prefix, label, sep, value, "\n");
}

void print_search_parameters(FILE *f, const char *P)
{
  const report_format &format = output_format();
  const char *SEP = format.tab_separated() ? "\t" : " ";

  if (global_QUARN_run)
    general_PrintMessage(f, P,
                         "   This Torvix search has been initiated by one of the QUARN modules.\n");
  general_PrintMessage(f, P, "Parameter settings used in this search:", SEP, "\n");
  parameter_line(f, P, "Input file name:                        ", SEP,
                 global_input_filename.c_str());
  if (!global_output_filename.empty())
    parameter_line(f, P, "Output file name:                       ", SEP,
                   global_output_filename.c_str());

  general_PrintMessage(f, P, "   Sequence range to process:           ", SEP,
                       number2str(global_sequence_from), " - ");
  if (global_sequence_to == all_sequences)
    general_PrintMessage(f, "last sequence\n");
  else
    general_PrintMessage(f, number2str(global_sequence_to), "\n");

  general_PrintMessage(f, P, "   Satellites searched for:             ", SEP);
  if (global_search_mode == 0)
    general_PrintMessage(f, "exact repeats\n");
  else if (global_search_mode == 1)
    general_PrintMessage(f, "exact repeats which are extended to imperfect repeats\n");
  else
    general_PrintMessage(f, "imperfect repeats\n");

  if (global_search_mode != 0) {
    parameter_line(f, P, "   Recursion depth:                     ", SEP,
                   number2str(global_maximum_recursion_depth));
    parameter_line(f, P, "   Maximum score reduction:             ", SEP,
                   global_maximum_scorereduction == infinite_score_reduction
                       ? "-"
                       : number2str(global_maximum_scorereduction));
  }
  parameter_line(f, P, "   Minimum unit length:                 ", SEP,
                 number2str(global_min_unit_length));
  parameter_line(f, P, "   Maximum unit length:                 ", SEP,
                 number2str(global_max_unit_length));

  general_PrintMessage(f, P, "   Minimum score:                       ", SEP, "maximum (");
  general_PrintMessage(f, number2str(global_min_score), ", ");
  general_PrintMessage(f, number2str(global_min_score_a), "+");
  general_PrintMessage(f, number2str(global_min_score_bx), "*unitlength )\n");
  general_PrintMessage(f, P, "   Minimum length:                      ", SEP, "maximum (");
  general_PrintMessage(f, number2str(global_min_length), ", ");
  general_PrintMessage(f, number2str(global_min_length_a), "+");
  general_PrintMessage(f, number2str(global_min_length_bx), "*unitlength )\n");

  general_PrintMessage(f, P, "   Min. to max. perfection range:       ", SEP);
  general_PrintMessage(f, number2str(global_min_perfection), " % - ");
  general_PrintMessage(f, number2str(global_max_perfection), " %\n");

  parameter_line(f, P, "   Treat N's as:                        ", SEP,
                 global_treat_Ns_as_missense ? "missense" : "neutral");
  parameter_line(f, P, "   Max. succesive N's allowed:          ", SEP,
                 number2str(global_Ns_allowed_in_a_row));
  if (global_search_mode != 0) {
    parameter_line(f, P, "   Mismatch score:                      ", SEP,
                   number2str(global_mismatch_score));
    parameter_line(f, P, "   Indel score:                         ", SEP,
                   number2str(global_indel_score));
  }
  parameter_line(f, P, "   Show shorter (not longer) of two repeat variants with equal score: ", SEP,
                 global_prefer_longer_repeat != 0 ? "no" : "yes");
  parameter_line(f, P, "   Number of flanking nucletides:       ", SEP,
                 number2str(global_flanking));
  parameter_line(f, P, "   Remove mostly overlapping satellites:", SEP,
                 global_remove_mostly_hidden ? "yes" : "no");
  parameter_line(f, P, "   Write file with masked seq.          ", SEP,
                 global_mask_lower ? "yes, masked with lower cases letters"
                 : global_mask_X   ? "yes, masked with Xs"
                                   : "no");

  static const char *const n_modes[] = {"asMismatch", "asNeutral", "asMatch"};
  parameter_line(f, P, "   Computing perfections treat N's:     ", SEP,
                 n_modes[global_N_and_perfection_mode == 0   ? 0
                         : global_N_and_perfection_mode == 1 ? 1
                                                             : 2]);
  static const char *const unit_modes[] = {"as they are", "alphabetical normal form",
                                           "alphabetical normal form using reverse complement"};
  parameter_line(f, P, "   Report units as:                     ", SEP,
                 unit_modes[global_report_unit_mode == 0   ? 0
                            : global_report_unit_mode == 1 ? 1
                                                           : 2]);
  parameter_line(f, P, "   Output format:                       ", SEP, format.parameter_text());
  static const char *const seq_modes[] = {"don't print sequence", "print sequence",
                                          "print alignment"};
  parameter_line(f, P, "   Print sequence mode:                 ", SEP,
                 seq_modes[global_print_sat_seq_mode == 0   ? 0
                           : global_print_sat_seq_mode == 1 ? 1
                                                            : 2]);
  if (format.menu_label_with_comments())
    parameter_line(f, P, "   Print seq. info as comment:          ", SEP,
                   global_sequenceInfoAsComment ? "yes" : "no");
  parameter_line(f, P, "   Convert gaps and *s to Ns :          ", SEP,
                 global_gaps_to_Ns ? "yes" : "no");
}

void print_output_format(FILE *f, const char *P) { output_format().file_header(f, P); }

void write_run_header(FILE *output)
{
  if (!output_format().has_run_header())
    return;
  creator_message(output, "# ");
  print_search_parameters(output, "# ");
  print_output_format(output, "# ");
}
