// What the graphical console layer offers beyond the shared console functions.
#ifndef TORVIX_GUI_CONSOLE_GUI_H
#define TORVIX_GUI_CONSOLE_GUI_H

// Forgets the status of an earlier run.
void reset_run_status();

// Shows "stopped by the user" for a run that ended on a stop request, unless
// the search already did so; the pattern length shown stays that of the last
// status, where the search stopped.
void report_run_stopped(unsigned record, const char *name);

#endif
