// Every exit status of the Torvix programs, in one place.
#ifndef TORVIX_PARAMS_EXIT_STATUS_H
#define TORVIX_PARAMS_EXIT_STATUS_H

enum torvix_status : int {
  status_ok = 0,
  status_bad_option = -1,         // a rejected option value
  status_bad_mode_option = -2,    // a mode option out of range
  status_bad_fasta = -25,         // input not readable as FASTA
  status_damaged_input = -26,     // gzip input truncated or corrupt
  status_input_not_opened = -101, // input missing, unreadable or a directory
  status_output_not_opened = -102,// output or masked file cannot be created, or is the input
  status_write_failed = -103,     // output or masked file could not be written completely
  status_record_too_long = -104,  // a record beyond the 32-bit positions of the reports
};

// Statuses with which the process ends at once, outside the driver's returns.
enum torvix_exit_code : int {
  exit_parser_error = 1,          // command-line syntax error (reported by the parser)
  exit_failed_realloc = 1,        // a growable buffer could not grow
  exit_bad_perfection_mode = 2,   // internal: N/perfection mode outside 0-2
};

// Status of the graphical front end's in-process driver when the user stopped it.
const int status_stopped_by_user = 1;

#endif
