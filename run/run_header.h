// The texts that open a run: banner, creator note, parameter block and the
// legend of the output format.
#ifndef TORVIX_RUN_RUN_HEADER_H
#define TORVIX_RUN_RUN_HEADER_H

#include <cstdio>

void torvix_welcome(FILE *f);
void creator_message(FILE *f, const char *prefix);
void print_search_parameters(FILE *f, const char *prefix);
void print_output_format(FILE *f, const char *prefix);
// The run header as "# " lines at the top of the output, when the format in
// force has one.
void write_run_header(FILE *output);

#endif
