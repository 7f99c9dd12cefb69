// Shared set-up of the front end's tests: the form is built once per process
// for a screen 700 pixels high (without entering the event loop), every dialog
// is answered by a script, and HOME lies in a scratch folder so that the
// user's files are never touched.
#ifndef TORVIX_TESTS_GUI_GUI_TEST_SUPPORT_H
#define TORVIX_TESTS_GUI_GUI_TEST_SUPPORT_H

#include <deque>
#include <string>
#include <vector>

#include <FL/Fl.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Round_Button.H>
#include <FL/Fl_Scroll.H>
#include <FL/Fl_Window.H>
#include <gtest/gtest.h>

#include "gui/form_parameters.h"
#include "gui/main_window.h"
#include "gui/preferences.h"
#include "gui/run_analysis.h"
#include "params/global-types-and-parameters.h"

struct dialog_script {
  std::vector<std::string> alerts, messages, notes, questions;
  std::deque<int> answers;          // next answers of questions; 0 (cancel) when empty
  std::deque<std::string> chosen;   // next files "chosen" in a chooser; none when empty
  std::vector<std::string> presets; // what each chooser was preset with
};
extern dialog_script script;

const std::string &scratch_dir();
std::string read_file(const std::string &path);
void write_file(const std::string &path, const std::string &content);

// What the preference files keep, in file order: group, key, the widget or
// text that holds it, its factory setting and another valid value. Rows
// without key are not in the files, rows without widget or text only there;
// a null factory value is not reset by factory_settings.
struct form_row {
  const char *group, *key;
  Fl_Widget *widget;
  std::string *text;
  const char *factory, *other;
};
std::vector<form_row> form_rows();
// Sets every row to one column's value, typing the file names, then applies the enable rules.
void set_form(const char *form_row::*column);
// "key=value" lines of the rows with a value in the column: what the form
// shows, or with want set the column's own value.
std::string form_values(const char *form_row::*column, bool want = false);
// Factory settings and no file names.
void clear_form();

class GuiTest : public ::testing::Test
{
protected:
  void SetUp() override;
  void TearDown() override { runA = nullptr; }
};

#endif
