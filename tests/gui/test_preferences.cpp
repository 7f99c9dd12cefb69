// Preference files: the user's default file and named parameter files, their
// header, groups, keys and encodings, and the load and save buttons.
#include <fstream>
#include <sstream>

#include <FL/Fl_Preferences.H>

#include "gui_test_support.h"

namespace {

using Preferences = GuiTest;

const char header[] = "; FLTK preferences file format 1.0\n; vendor: torvix\n; application: unknown\n";
const char damaged[] = "The parameter file could not be read successfully! It might be damaged.";

std::string default_path() { return std::string(getenv("HOME")) + "/.fltk/torvix/torvix.prefs"; }

// The file's lines without blank ones, with the group as a "group/" prefix of its keys.
std::vector<std::string> lines(const std::string &path)
{
  std::istringstream in(read_file(path));
  std::vector<std::string> found;
  std::string line, group;
  while (std::getline(in, line))
    if (line.rfind("[./", 0) == 0)
      group = line.substr(3, line.size() - 4) + "/";
    else if (!line.empty() && line != "[.]")
      found.push_back((line[0] == ';' ? "" : group) + line);
  return found;
}

} // namespace

TEST_F(Preferences, EveryValueRoundTripsUnderItsGroupAndKeyInTheDefaultAndANamedFile)
{
  // First start: no file, nothing changes.
  std::remove(default_path().c_str());
  readPrefs(nullptr);
  EXPECT_EQ(form_values(&form_row::factory), form_values(&form_row::factory, true));
  // The second file is written after reading the first back: while N's count
  // as missense the user's own N item is kept, not the forced one.
  set_form(&form_row::other);
  const std::string named = scratch_dir() + "/named.prefs";
  for (const char *path : {static_cast<const char *>(nullptr), named.c_str()}) {
    writePrefs(path);
    std::vector<std::string> expected{"; FLTK preferences file format 1.0", "; vendor: torvix",
                                      path ? "; application: unknown" : "; application: torvix"};
    for (const form_row &row : form_rows())
      if (row.key)
        expected.push_back(std::string(row.group) + "/" + row.key + ":" + row.other);
    EXPECT_EQ(lines(path ? named : default_path()), expected);
    clear_form();
    readPrefs(path);
    EXPECT_EQ(form_values(&form_row::other), form_values(&form_row::other, true));
    do_consistency();
  }
  EXPECT_TRUE(input_maxRed->active());
  check_treatNsAsMis->value(0);
  do_consistency();
  EXPECT_EQ(choice_NPerfection->value(), 2);
  // Each search mode code selects exactly its radio button.
  Fl_Round_Button *const radios[] = {radio_modeImperf, radio_modeExtend, radio_modePerfec, radio_modeCompou};
  for (int code = 1; code <= 4; ++code) {
    for (int i = 0; i < 4; ++i)
      radios[i]->value(i + 1 == code);
    writePrefs(named.c_str());
    EXPECT_EQ(lines(named).at(7), "Search Mode group/Search mode:" + std::to_string(code));
    factory_settings();
    readPrefs(named.c_str());
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(radios[i]->value() != 0, i + 1 == code) << code;
  }
  EXPECT_TRUE(script.alerts.empty());
}

TEST_F(Preferences, DamagedForeignOrOverlongFilesChangeNothing)
{
  const std::string dir = scratch_dir() + "/";
  write_file(dir + "foreign.prefs", std::string(header) + "[./Other]\nkey:1\n");
  write_file(dir + "nokey.prefs", std::string(header) + "[./Input Output files]\nOutput file:/x\n");
  write_file(dir + "long.prefs",
             std::string(header) + "[./Input Output files]\nInput file:/" + std::string(1100, 'M') + "\n");
  write_file(default_path(), read_file(dir + "foreign.prefs"));
  {
    // Another writer of the same store, with a name the fields cannot hold.
    Fl_Preferences store((dir + "name.prefs").c_str(), "torvix", nullptr);
    Fl_Preferences(store, "Input Output files").set("Input file", std::string(1500, 'L').c_str());
  }
  const struct { std::string path, alert; } rows[] = {
      {dir + "missing.prefs", std::string(damaged) + " Error: -1"},
      {dir + "foreign.prefs", std::string(damaged) + " Error: -2"},
      {dir + "nokey.prefs", damaged},
      {dir + "long.prefs",
       std::string(damaged) + "\nIt has a line longer than the 1022 characters that can be read without cutting it."},
      {dir + "name.prefs", "A file name longer than 1023 characters cannot be used. It has been refused:\n" +
                               std::string(60, 'L') + "..."},
      {"", ""}}; // the default file, silently
  set_form(&form_row::other);
  const std::string before = form_values(&form_row::other);
  for (const auto &row : rows) {
    readPrefs(row.path.empty() ? nullptr : row.path.c_str());
    EXPECT_EQ(script.alerts, row.alert.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.alert});
    EXPECT_EQ(form_values(&form_row::other), before) << row.path;
    script.alerts.clear();
  }
}

TEST_F(Preferences, SearchModeZeroOrMissingKeysResetTheFormButTakeTheNames)
{
  const std::string path = scratch_dir() + "/mode0.prefs";
  std::string text = std::string(header) + "[./Input Output files]\nInput file:/a/b.fa\nOutput file:/a/b.torvix\n"
                     "Previously loaded parameter file:\nPreviously saved parameter file:\n"
                     "[./Search Mode group]\nSearch mode:0\n[./Output options]\nOutput Format:9\n";
  write_file(path, text);
  set_form(&form_row::other);
  readPrefs(path.c_str());
  EXPECT_STREQ(glob_infiletext, "/a/b.fa");
  EXPECT_STREQ(glob_outfiletext, "/a/b.torvix");
  // An empty "previously loaded" name keeps the one in use; the saved one follows the file.
  EXPECT_EQ(loadPrefsFilename, "/p/l.prefs");
  EXPECT_EQ(savePrefsFilename, "");
  EXPECT_EQ(form_values(&form_row::factory), form_values(&form_row::factory, true));
  // Keys missing further on read as blank fields and item 0; an item beyond the menu as none.
  write_file(path, text.replace(text.find("Search mode:0"), 13, "Search mode:1"));
  readPrefs(path.c_str());
  EXPECT_STREQ(input_m->value(), "");
  EXPECT_EQ(choice_reportUnit->value(), 0);
  EXPECT_EQ(choice_outputFormat->value(), -1);
  EXPECT_TRUE(script.alerts.empty());
}

TEST_F(Preferences, SaveChecksFirstAppendsPrefsAndLoadAppliesTheEnableRules)
{
  const std::string typed = scratch_dir() + "/typed";
  // Invalid fields: corrected, saving refused, no chooser shown.
  input_flanking->value("-1");
  callback_saveParameters(nullptr, chooser_savePrefs);
  ASSERT_EQ(script.alerts.size(), 2u);
  EXPECT_EQ(script.alerts[1], "Saving of search parameters has been aborted since invalid\n"
                              "search parameters were set to their default values.");
  EXPECT_TRUE(script.presets.empty());
  // Saved without extension, cancelled (nothing changes), saved with one.
  savePrefsFilename = "/earlier/name.prefs";
  script.chosen = {typed, "", typed + ".cfg"};
  check_maxRed->value(1);
  for (const std::string &saved : {typed + ".prefs", typed + ".prefs", typed + ".cfg"}) {
    callback_saveParameters(nullptr, chooser_savePrefs);
    EXPECT_EQ(savePrefsFilename, saved);
  }
  EXPECT_EQ(lines(typed + ".prefs").at(6), "Input Output files/Previously saved parameter file:" + typed + ".prefs");
  EXPECT_FALSE(std::ifstream(typed));
  factory_settings();
  loadPrefsFilename = "/earlier/load.prefs";
  callback_loadParameters(nullptr, chooser_loadPrefs); // cancelled: nothing loaded
  EXPECT_FALSE(check_maxRed->value());
  script.chosen = {typed + ".prefs"};
  callback_loadParameters(nullptr, chooser_loadPrefs);
  EXPECT_EQ(loadPrefsFilename, typed + ".prefs");
  EXPECT_TRUE(input_maxRed->active());
  EXPECT_EQ(script.presets, (std::vector<std::string>{"/earlier/name.prefs", typed + ".prefs", typed + ".prefs",
                                                      "/earlier/load.prefs", "/earlier/load.prefs"}));
}
