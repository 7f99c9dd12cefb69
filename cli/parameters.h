// Turns the command line into the global parameter set.
#ifndef TORVIX_CLI_PARAMETERS_H
#define TORVIX_CLI_PARAMETERS_H

// Returns 0 when the run may proceed, -1 for a rejected value and -2 for a
// mode option out of range (the message has been written to standard error).
// The parser itself ends the process after usage, version or a syntax error.
int read_and_init_parameters(int argc, char **argv);

#include "run/run.h"

// Which part of the output a run writes (option --outputPart).
extern output_part global_output_part;
// Threads that search records (option --threads); 0: every core.
extern unsigned global_threads;

#endif
