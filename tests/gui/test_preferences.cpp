// Preference files: the user's default file and named parameter files, their
// header, groups, keys and encodings, and the load and save buttons.
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include <FL/Fl_Preferences.H>

#include "gui/gui_dialogs.h"
#include "gui_test_support.h"

namespace {

using Preferences = GuiTest;

const char header[] = "; FLTK preferences file format 1.0\n; vendor: torvix\n; application: unknown\n";
const char damaged[] = "The parameter file could not be read successfully! It might be damaged.";

std::string default_path() { return std::string(getenv("HOME")) + "/.fltk/torvix/torvix.prefs"; }

// Also when no test has had the store make its folder.
void write_default_file(const std::string &text)
{
  const std::string fltk = std::string(getenv("HOME")) + "/.fltk";
  mkdir(fltk.c_str(), 0700);
  mkdir((fltk + "/torvix").c_str(), 0700);
  write_file(default_path(), text);
}

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
  write_default_file(read_file(dir + "foreign.prefs"));
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

TEST_F(Preferences, HandWrittenFilesAreReadAndDamagedOnesRefusedWholeWithoutCrash)
{
  // Each of these crashed, overran a buffer of the store or lost a group
  // when the store read the file itself.
  const std::string files = "[Input Output files]\n", name = "Input file:/tmp/x.fa\n";
  const std::string long_group(125, 'g'), long_key(127, 'k');
  const struct { const char *fault; std::string text; std::string problem; } rows[] = {
      {"group without ./ after the store's header",
       "; FLTK preferences file format 1.0\n; vendor: torvix\n; application: torvix\n\n" + files + "\n" + name, ""},
      {"header of one line", "; FLTK preferences file format 1.0\n[./Input Output files]\n" + name, ""},
      {"no header", files + name, ""},
      {"carriage returns and a comment", "[./Input Output files]\r\n# mine\r\n" + name.substr(0, 20) + "\r\n", ""},
      {"escape split over a continuation line", files + "Input file:/tmp/\\17\n+0.fa\n", ""},
      {"no line end at the end", files + name.substr(0, 20), ""},
      {"longest group and key", "[" + long_group + "]\n" + long_key + ":1\n" + files + name, ""},
      {"binary garbage", files + name + std::string("\x7f" "ELF\x02\x01\x00\x00\n\xff\xfe", 12),
       "Its line 3 holds bytes that are not text."},
      {"carriage return inside a line", files + "Input file:/tmp/x.fa\rOutput file:/y\n",
       "Its line 2 holds bytes that are not text."},
      {"line without colon", files + "Input file\n" + name, "Its line 2 is neither a group nor a key with its value."},
      {"continuation of a comment", files + ";c\n+abc\n" + name, "Its line 3 is neither a group nor a key with its value."},
      {"continuation first", "+abc\n" + files + name, "Its line 1 is neither a group nor a key with its value."},
      {"escape cut off", files + "Output file:/y\\\n" + name, "Its line 2 is neither a group nor a key with its value."},
      {"octal escape cut off", files + name + "Output file:/y\\17\n+\n",
       "Its line 3 is neither a group nor a key with its value."},
      {"group line without bracket", "[Input Output files\n" + name, "Its line 1 is neither a group nor a key with its value."},
      {"group name too long", "[" + long_group + "g]\n" + files + name,
       "Its line 1 is neither a group nor a key with its value."},
      {"key too long", files + long_key + "k:1\n" + name, "Its line 2 is neither a group nor a key with its value."},
      {"overlong line", files + "Input file:/" + std::string(1100, 'M') + "\n",
       "It has a line longer than the 1022 characters that can be read without cutting it."},
  };
  const std::string named = scratch_dir() + "/hand.prefs";
  for (const auto &row : rows) {
    SCOPED_TRACE(row.fault);
    // Start-up: the form at its defaults, then the default file.
    write_default_file(row.text);
    clear_form();
    readPrefs(nullptr);
    do_consistency();
    EXPECT_TRUE(script.alerts.empty());
    if (row.problem.empty()) {
      EXPECT_STREQ(glob_infiletext, "/tmp/x.fa");
      EXPECT_TRUE(script.notes.empty());
    } else {
      EXPECT_STREQ(glob_infiletext, "");
      EXPECT_EQ(form_values(&form_row::factory), form_values(&form_row::factory, true));
      EXPECT_EQ(script.notes, std::vector<std::string>{"The default parameter file\n" + default_path() +
                                                       "\ncould not be read successfully! It might be damaged.\n" +
                                                       row.problem +
                                                       "\nAll parameters have their default values; quitting "
                                                       "saves them in its place."});
    }
    script.notes.clear();
    // "Load parameters": a damaged file changes nothing.
    write_file(named, row.text);
    set_form(&form_row::other);
    const std::string before = form_values(&form_row::other);
    readPrefs(named.c_str());
    EXPECT_TRUE(script.notes.empty());
    if (row.problem.empty()) {
      EXPECT_STREQ(glob_infiletext, "/tmp/x.fa");
      EXPECT_TRUE(script.alerts.empty());
    } else {
      EXPECT_EQ(form_values(&form_row::other), before);
      EXPECT_EQ(script.alerts, std::vector<std::string>{std::string(damaged) + "\n" + row.problem});
    }
    script.alerts.clear();
    // Saving over the file, as Quit and "Save parameters" do, replaces it whole.
    set_form(&form_row::other);
    for (const char *path : {static_cast<const char *>(nullptr), named.c_str()}) {
      write_default_file(row.text);
      write_file(named, row.text);
      writePrefs(path);
      clear_form();
      readPrefs(path);
      EXPECT_EQ(form_values(&form_row::other), form_values(&form_row::other, true));
    }
    EXPECT_TRUE(script.alerts.empty() && script.notes.empty());
  }
  // An empty file is no parameter file, but not damaged either.
  write_default_file("");
  readPrefs(nullptr);
  write_file(named, "");
  readPrefs(named.c_str());
  EXPECT_TRUE(script.notes.empty());
  EXPECT_EQ(script.alerts, std::vector<std::string>{std::string(damaged) + " Error: -2"});
}

TEST_F(Preferences, EveryGroupWrittenWithoutItsDotSlashIsRead)
{
  set_form(&form_row::other);
  writePrefs(nullptr);
  std::string text = read_file(default_path());
  for (std::string::size_type at; (at = text.find("[./")) != std::string::npos;)
    text.erase(at + 1, 2);
  write_default_file(text);
  clear_form();
  readPrefs(nullptr);
  EXPECT_EQ(form_values(&form_row::other), form_values(&form_row::other, true));
  EXPECT_TRUE(script.alerts.empty() && script.notes.empty());
}

TEST_F(Preferences, DamagedDefaultFileIsReportedInAWindowTheStartDoesNotWaitFor)
{
  auto shown_note = []() -> Fl_Window * {
    for (Fl_Window *w = Fl::first_window(); w; w = Fl::next_window(w))
      if (w->label() && std::string(w->label()) == "Torvix: note")
        return w;
    return nullptr;
  };
  write_default_file("[Input Output files]\nInput file\n");
  gui_hooks.note = nullptr;
  readPrefs(nullptr);
  Fl_Window *note = shown_note();
  ASSERT_TRUE(note);
  EXPECT_EQ(std::string(note->child(0)->label()).rfind("The default parameter file\n" + default_path(), 0), 0u);
  EXPECT_FALSE(note->modal());
  note->do_callback();
  Fl::check();
  EXPECT_FALSE(shown_note());
}
