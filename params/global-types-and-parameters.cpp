#include "global-types-and-parameters.h"

std::string global_input_filename;
std::string global_output_filename;
std::string global_masked_filename;
unsigned global_sequence_from;
unsigned global_sequence_to;
int global_search_mode;
int global_N_and_perfection_mode;
int global_report_unit_mode;
int global_print_sat_seq_mode;
int global_print_sat_mode;
bool global_sequenceInfoAsComment;
int global_flanking;
int global_maximum_recursion_depth;
int global_maximum_scorereduction;
unsigned global_min_unit_length;
unsigned global_max_unit_length;
bool global_treat_Ns_as_missense;
int global_Ns_allowed_in_a_row;
int global_min_score;
int global_min_score_a;
float global_min_score_bx;
int global_min_length;
int global_min_length_a;
float global_min_length_bx;
float global_min_perfection;
float global_max_perfection;
int global_mismatch_score;
int global_indel_score;
int global_prefer_longer_repeat;
bool global_remove_mostly_hidden;
bool global_mask_X;
bool global_mask_lower;
bool global_gaps_to_Ns;
bool global_QUARN_run;

time_t time_analysis_started;

void init_param()
{
  global_sequence_from = 1;
  global_sequence_to = all_sequences;
  global_search_mode = 2;
  global_N_and_perfection_mode = 0;
  global_report_unit_mode = 2;
  global_print_sat_seq_mode = 2;
  global_print_sat_mode = 1;
  global_sequenceInfoAsComment = false;
  global_flanking = 0;
  global_maximum_recursion_depth = 5;
  global_maximum_scorereduction = infinite_score_reduction;
  global_min_unit_length = 1;
  global_max_unit_length = 10;
  global_treat_Ns_as_missense = false;
  global_Ns_allowed_in_a_row = 2;
  global_min_score = 6;
  global_min_score_a = 0;
  global_min_score_bx = 1.0f;
  global_min_length = 0;
  global_min_length_a = 0;
  global_min_length_bx = 0.0f;
  global_min_perfection = 0.0f;
  global_max_perfection = 100.0f;
  global_mismatch_score = -5;
  global_indel_score = -5;
  global_prefer_longer_repeat = 1;
  global_remove_mostly_hidden = true;
  global_mask_X = false;
  global_mask_lower = false;
  global_gaps_to_Ns = false;
  global_QUARN_run = false;
}

void PrintMessage(FILE *f, const char *s1) { std::fputs(s1, f); }

void PrintMessage(FILE *f, const char *s1, const char *s2)
{
  std::fputs(s1, f);
  std::fputs(s2, f);
}

void PrintMessage(FILE *f, const char *s1, const char *s2, const char *s3)
{
  PrintMessage(f, s1, s2);
  std::fputs(s3, f);
}

void PrintMessage(FILE *f, const char *s1, const char *s2, const char *s3, const char *s4)
{
  PrintMessage(f, s1, s2, s3);
  std::fputs(s4, f);
}

void PrintMessage(FILE *f, const char *s1, const char *s2, const char *s3, const char *s4,
                  const char *s5)
{
  PrintMessage(f, s1, s2, s3, s4);
  std::fputs(s5, f);
}

void general_PrintMessage(FILE *f, const char *s1)
{
  if (f == stderr)
    console_message(s1);
  else
    PrintMessage(f, s1);
}

void general_PrintMessage(FILE *f, const char *s1, const char *s2)
{
  general_PrintMessage(f, s1);
  general_PrintMessage(f, s2);
}

void general_PrintMessage(FILE *f, const char *s1, const char *s2, const char *s3)
{
  general_PrintMessage(f, s1, s2);
  general_PrintMessage(f, s3);
}

void general_PrintMessage(FILE *f, const char *s1, const char *s2, const char *s3,
                          const char *s4)
{
  general_PrintMessage(f, s1, s2, s3);
  general_PrintMessage(f, s4);
}

void general_PrintMessage(FILE *f, const char *s1, const char *s2, const char *s3,
                          const char *s4, const char *s5)
{
  general_PrintMessage(f, s1, s2, s3, s4);
  general_PrintMessage(f, s5);
}
