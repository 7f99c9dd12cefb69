// Shared set-up of the front end's tests: the form is built once per process
// (without entering the event loop), every dialog is answered by a script,
// and HOME points into a scratch folder so that the user's files are never
// touched.
#ifndef TORVIX_TESTS_GUI_GUI_TEST_SUPPORT_H
#define TORVIX_TESTS_GUI_GUI_TEST_SUPPORT_H

#include <deque>
#include <string>
#include <vector>

#include <gtest/gtest.h>

class Fl_Input;

struct dialog_script {
  std::vector<std::string> alerts;
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::deque<int> answers;           // next answers of questions; 0 (cancel) when empty
  std::deque<std::string> chosen;    // next files "chosen" in a chooser; none when empty
  std::vector<std::string> presets;  // what each chooser was preset with
};
extern dialog_script script;

// Scratch folder of the whole test process; HOME lies inside it.
const std::string &scratch_dir();
std::string read_file(const std::string &path);
void write_file(const std::string &path, const std::string &content);

class GuiTest : public ::testing::Test
{
protected:
  void SetUp() override;
  void TearDown() override;
};

#endif
