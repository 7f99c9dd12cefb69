#include "gui_dialogs.h"

#include <cstdarg>
#include <cstdio>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
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

namespace {

void close_note(Fl_Widget *w, void *)
{
  Fl_Window *note = w->window() ? w->window() : static_cast<Fl_Window *>(w);
  note->hide();
  Fl::delete_widget(note);
}

} // namespace

void gui_note(const char *text)
{
  if (gui_hooks.note) {
    gui_hooks.note(text);
    return;
  }
  const int margin = 15, button_w = 90, button_h = 25;
  fl_font(FL_HELVETICA, 14);
  int tw = 0, th = 0;
  fl_measure(text, tw, th, 0);
  const int w = tw + 2 * margin > button_w + 2 * margin ? tw + 2 * margin : button_w + 2 * margin;
  Fl_Window *note = new Fl_Window(w, th + button_h + 3 * margin, "Torvix: note");
  Fl_Box *box = new Fl_Box(margin, margin, tw, th);
  box->copy_label(text);
  box->labelsize(14);
  box->align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE);
  Fl_Button *close = new Fl_Return_Button(w - margin - button_w, th + 2 * margin, button_w, button_h, "Close");
  close->callback(close_note);
  note->end();
  note->callback(close_note);
  note->set_non_modal();
  note->show();
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
