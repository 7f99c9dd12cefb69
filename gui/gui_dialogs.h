// Every alert, message box, yes/no question and file chooser of the front end
// goes through these functions. A test installs hooks to read the texts and
// script the answers; the program itself leaves them null and gets FLTK's
// dialogs.
#ifndef TORVIX_GUI_GUI_DIALOGS_H
#define TORVIX_GUI_GUI_DIALOGS_H

class Fl_File_Chooser;

struct gui_dialog_hooks {
  void (*alert)(const char *text) = nullptr;
  void (*message)(const char *text) = nullptr;
  void (*note)(const char *text) = nullptr;
  // Index of the button pressed: 0 for b0 (also when the question is closed), 1 for b1.
  int (*choice)(const char *question, const char *b0, const char *b1) = nullptr;
  // The one file chosen, or null when not exactly one file was chosen.
  const char *(*choose_file)(Fl_File_Chooser *fc, const char *preset) = nullptr;
};
extern gui_dialog_hooks gui_hooks;

// The text is a printf-style format: "%%" shows as "%".
void gui_alert(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
void gui_message(const char *text);
// A message in a window of its own that nobody waits for: the program goes
// on while it is shown, and it closes with its button.
void gui_note(const char *text);
int gui_choice(const char *question, const char *b0, const char *b1);

// Presets the chooser, shows it and processes events until it is hidden, so
// that the dialog is modal in effect while the form stays responsive.
const char *gui_choose_file(Fl_File_Chooser *fc, const char *preset);

#endif
