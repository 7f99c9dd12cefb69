// Turns the command line into the global parameter set.
#ifndef TORVIX_CLI_PARAMETERS_H
#define TORVIX_CLI_PARAMETERS_H

// Returns 0 when the run may proceed, -1 for a rejected value and -2 for a
// mode option out of range (the message has been written to standard error).
// The parser itself ends the process after usage, version or a syntax error.
int read_and_init_parameters(int argc, char **argv);

// Which part of the output a run writes (option --outputPart). A genome cut
// into jobs by record range gets its result back by concatenating one header
// run, the records runs of its ranges in order, and one trailer run.
enum class output_part { all, header, records, trailer };
extern output_part global_output_part;

#endif
