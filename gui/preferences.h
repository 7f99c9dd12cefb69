// Whole parameter sets in FLTK preference files: the user's default file and
// named parameter files.
#ifndef TORVIX_GUI_PREFERENCES_H
#define TORVIX_GUI_PREFERENCES_H

#include <string>

class Fl_Widget;

// The last named parameter files loaded and saved; they preset the choosers
// and are kept in every preference file.
extern std::string loadPrefsFilename;
extern std::string savePrefsFilename;

// A null path means the user's default file.
void writePrefs(const char *path);
void readPrefs(const char *path);

void callback_loadParameters(Fl_Widget *, void *chooser);
void callback_saveParameters(Fl_Widget *, void *chooser);

#endif
