#include "gui_dialogs.h"

#include <cstdarg>
#include <cstdio>

#include <FL/Fl.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/fl_ask.H>

gui_dialog_hooks gui_hooks;

void gui_alert(const char *fmt, ...)
{
  char text[2048];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(text, sizeof text, fmt, ap);
  va_end(ap);
  if (gui_hooks.alert)
    gui_hooks.alert(text);
  else
    fl_alert("%s", text);
}

void gui_message(const char *text)
{
  if (gui_hooks.message)
    gui_hooks.message(text);
  else
    fl_message("%s", text);
}

int gui_choice(const char *question, const char *b0, const char *b1)
{
  if (gui_hooks.choice)
    return gui_hooks.choice(question, b0, b1);
  return fl_choice("%s", b0, b1, nullptr, question);
}

const char *gui_choose_file(Fl_File_Chooser *fc, const char *preset)
{
  if (gui_hooks.choose_file)
    return gui_hooks.choose_file(fc, preset);
  fc->value(preset);
  fc->show();
  while (fc->shown())
    Fl::wait();
  if (fc->count() != 1)
    return nullptr;
  return fc->value(1);
}
