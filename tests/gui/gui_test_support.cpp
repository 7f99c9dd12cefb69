#include "gui_test_support.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <FL/Fl_Window.H>

#include "gui/form_parameters.h"
#include "gui/gui_dialogs.h"
#include "gui/main_window.h"
#include "gui/preferences.h"
#include "gui/run_analysis.h"
#include "params/global-types-and-parameters.h"

dialog_script script;

const std::string &scratch_dir()
{
  static std::string dir = [] {
    char pattern[] = "/tmp/torvix-gui-test-XXXXXX";
    const char *made = mkdtemp(pattern);
    return std::string(made ? made : "/tmp");
  }();
  return dir;
}

std::string read_file(const std::string &path)
{
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void write_file(const std::string &path, const std::string &content)
{
  std::ofstream out(path, std::ios::binary);
  out << content;
}

static void record_alert(const char *text) { script.alerts.emplace_back(text); }
static void record_message(const char *text) { script.messages.emplace_back(text); }

static int scripted_choice(const char *question, const char *, const char *)
{
  script.questions.emplace_back(question);
  if (script.answers.empty())
    return 0;
  int a = script.answers.front();
  script.answers.pop_front();
  return a;
}

static const char *scripted_file(Fl_File_Chooser *, const char *preset)
{
  static std::string chosen;
  script.presets.emplace_back(preset);
  if (script.chosen.empty())
    return nullptr;
  chosen = script.chosen.front();
  script.chosen.pop_front();
  return chosen.c_str();
}

void GuiTest::SetUp()
{
  static bool built = false;
  if (!built) {
    const std::string home = scratch_dir() + "/home";
    std::system(("mkdir -p '" + home + "'").c_str());
    setenv("HOME", home.c_str(), 1);
    // A screen 700 pixels high, so the form has to scroll.
    build_main_window(1024, 700);
    built = true;
  }
  gui_hooks.alert = record_alert;
  gui_hooks.message = record_message;
  gui_hooks.choice = scripted_choice;
  gui_hooks.choose_file = scripted_file;
  script = dialog_script();
  init_param();
  factory_settings();
  glob_infile->assign("");
  glob_outfile->assign("");
  loadPrefsFilename.clear();
  savePrefsFilename.clear();
}

void GuiTest::TearDown() { runA = nullptr; }
