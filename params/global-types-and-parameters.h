// The global parameter set that the whole engine reads, and the small text
// routines of the run header, progress lines and farewell.
#ifndef TORVIX_PARAMS_GLOBAL_TYPES_AND_PARAMETERS_H
#define TORVIX_PARAMS_GLOBAL_TYPES_AND_PARAMETERS_H

#include <cstdio>
#include <ctime>
#include <string>

#define TORVIX_VERSION "3.3.11"

extern std::string global_input_filename;
extern std::string global_output_filename;
// Set by --maskedFile; empty: named after the input file.
extern std::string global_masked_filename;
extern unsigned global_sequence_from;
extern unsigned global_sequence_to;
extern int global_search_mode;             // 0 exact, 1 extendExact, 2 imperfect
extern int global_N_and_perfection_mode;   // 0 asMismatch, 1 asNeutral, 2 asMatch
extern int global_report_unit_mode;        // 0 as is, 1 least rotation, 2 with reverse complement
extern int global_print_sat_seq_mode;      // 0 none, 1 sequence, 2 alignment
extern int global_print_sat_mode;          // output format 0-4
extern bool global_sequenceInfoAsComment;
extern int global_flanking;
extern int global_maximum_recursion_depth;
extern int global_maximum_scorereduction;
extern unsigned global_min_unit_length;
extern unsigned global_max_unit_length;
extern bool global_treat_Ns_as_missense;
extern int global_Ns_allowed_in_a_row;
extern int global_min_score;
extern int global_min_score_a;
extern float global_min_score_bx;
extern int global_min_length;
extern int global_min_length_a;
extern float global_min_length_bx;
extern float global_min_perfection;
extern float global_max_perfection;
extern int global_mismatch_score;
extern int global_indel_score;
extern int global_prefer_longer_repeat;
extern bool global_remove_mostly_hidden;
extern bool global_mask_X;
extern bool global_mask_lower;
extern bool global_gaps_to_Ns;
extern bool global_QUARN_run;

const unsigned all_sequences = 4294967295u;
const int infinite_score_reduction = 2147483647;
// Units longer than this lie outside the prime-factor table.
const unsigned max_allowed_unit_length = 10000;

// Sets every global above, except the two file names, to its default.
void init_param();

extern time_t time_analysis_started;

// Pieces written one after the other, verbatim.
void PrintMessage(FILE *f, const char *s1);
void PrintMessage(FILE *f, const char *s1, const char *s2);
void PrintMessage(FILE *f, const char *s1, const char *s2, const char *s3);
void PrintMessage(FILE *f, const char *s1, const char *s2, const char *s3, const char *s4);
void PrintMessage(FILE *f, const char *s1, const char *s2, const char *s3, const char *s4,
                  const char *s5);

// As PrintMessage, but text for standard error goes through the program's
// console layer (silent in the graphical front end).
void general_PrintMessage(FILE *f, const char *s1);
void general_PrintMessage(FILE *f, const char *s1, const char *s2);
void general_PrintMessage(FILE *f, const char *s1, const char *s2, const char *s3);
void general_PrintMessage(FILE *f, const char *s1, const char *s2, const char *s3,
                          const char *s4);
void general_PrintMessage(FILE *f, const char *s1, const char *s2, const char *s3,
                          const char *s4, const char *s5);

// --- The console layer. Each program links exactly one implementation:
// --- the terminal one (cli/console.cpp) or the graphical one (gui/).

// Writes one console text meant for standard error.
void console_message(const char *text);

#endif
