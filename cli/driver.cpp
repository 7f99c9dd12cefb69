#include "driver.h"

#include <ctime>

#include "cli/console.h"
#include "cli/parameters.h"
#include "params/global-types-and-parameters.h"
#include "run/run_header.h"

int torvix_main(int argc, char **argv)
{
  time_analysis_started = time(nullptr);

  torvix_welcome(stderr);
  std::fflush(stderr);

  const int result = read_and_init_parameters(argc, argv);
  if (result != 0) {
    good_bye_on_error(result);
    return result;
  }
  run_request request;
  request.part = global_output_part;
  request.threads = global_threads;
  cli_observer observer;
  return run_torvix(request, observer);
}
