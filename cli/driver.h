// One run of the command-line program, from banner to farewell.
#ifndef TORVIX_CLI_DRIVER_H
#define TORVIX_CLI_DRIVER_H

// Returns the exit status: 0, or a negative status named in params/exit_status.h.
int torvix_main(int argc, char **argv);

#endif
