#include <FL/Fl.H>
#include <FL/Fl_Window.H>

#include "gui/form_parameters.h"
#include "gui/main_window.h"
#include "gui/preferences.h"

int main(int, char **)
{
  Fl_Window *window = build_main_window(Fl::w(), Fl::h());
  // Only the program name: FLTK's own command-line options are not taken.
  static char program_name[] = "torvix_gui";
  static char *args[] = {program_name, nullptr};
  window->show(1, args);
  factory_settings();
  readPrefs(nullptr);
  do_consistency();
  Fl::run();
  return 0;
}
