// Preference files: the user's default file and named parameter files, their
// header, groups, keys and encodings, and the load and save buttons.
#include <sys/stat.h>

#include <map>
#include <sstream>

#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Preferences.H>
#include <FL/Fl_Round_Button.H>

#include "gui/form_parameters.h"
#include "gui/main_window.h"
#include "gui/preferences.h"
#include "gui_test_support.h"
#include "params/global-types-and-parameters.h"

namespace {

using Preferences = GuiTest;

std::string default_prefs_path() { return std::string(getenv("HOME")) + "/.fltk/torvix/torvix.prefs"; }

std::string prefs_dir()
{
  const std::string dir = scratch_dir() + "/prefs";
  mkdir(dir.c_str(), 0755);
  return dir;
}

// The file as group -> key -> value, and its header lines.
struct prefs_file {
  std::vector<std::string> header;
  std::vector<std::string> groups;
  std::map<std::string, std::vector<std::string>> keys;
  std::map<std::string, std::map<std::string, std::string>> values;
};

prefs_file parse(const std::string &path)
{
  prefs_file p;
  std::istringstream in(read_file(path));
  std::string line, group;
  while (std::getline(in, line)) {
    if (line.empty())
      continue;
    if (line[0] == ';') {
      p.header.push_back(line);
    } else if (line[0] == '[') {
      group = line.substr(1, line.size() - 2);
      if (group.rfind("./", 0) == 0)
        group = group.substr(2);
      if (group != ".")
        p.groups.push_back(group);
    } else {
      const size_t colon = line.find(':');
      const std::string key = line.substr(0, colon);
      p.keys[group].push_back(key);
      p.values[group][key] = line.substr(colon + 1);
    }
  }
  return p;
}

// A form that differs from the defaults in every widget the files keep.
void set_every_widget()
{
  glob_infile->assign("/data/in put.fa");
  glob_outfile->assign("/data/out\\put.torvix");
  loadPrefsFilename = "/p/loaded.prefs";
  savePrefsFilename = "/p/saved.prefs";
  radio_modeImperf->value(0);
  radio_modeExtend->value(1);
  select_item(choice_mask_Seq, 2);
  input_compDist->value("7");
  input_m->value("-3");
  input_g->value("-4");
  input_r->value("6");
  check_maxRed->value(1);
  input_maxRed->value("20");
  select_item(choice_outputFormat, 5);
  select_item(choice_reportUnit, 1);
  select_item(choice_printRepeatMode, 0);
  select_item(choice_NPerfection, 2);
  select_item(choice_removeHidden, 1);
  input_flanking->value("12");
  input_fromSeq->value("2");
  input_toSeq->value("9");
  input_minUnitSize->value("2");
  input_maxUnitSize->value("8");
  check_scoreFirstUnit->value(1);
  check_gaps_to_Ns->value(1);
  input_allowedNs->value("3");
  input_minLen->value("11");
  input_minLen_a->value("1");
  input_minLen_b->value("0.5");
  input_minScore->value("13");
  input_minScore_a->value("2");
  input_minScore_b->value("1.25");
  input_minPerf->value("60");
  input_maxPerf->value("99.5");
  do_consistency();
}

void expect_every_widget()
{
  EXPECT_STREQ(glob_infiletext, "/data/in put.fa");
  EXPECT_STREQ(glob_outfiletext, "/data/out\\put.torvix");
  EXPECT_EQ(loadPrefsFilename, "/p/loaded.prefs");
  EXPECT_EQ(savePrefsFilename, "/p/saved.prefs");
  EXPECT_FALSE(radio_modeImperf->value());
  EXPECT_TRUE(radio_modeExtend->value());
  EXPECT_FALSE(radio_modePerfec->value());
  EXPECT_EQ(choice_mask_Seq->value(), 2);
  EXPECT_STREQ(input_compDist->value(), "7");
  EXPECT_STREQ(input_m->value(), "-3");
  EXPECT_STREQ(input_g->value(), "-4");
  EXPECT_STREQ(input_r->value(), "6");
  EXPECT_TRUE(check_maxRed->value());
  EXPECT_STREQ(input_maxRed->value(), "20");
  EXPECT_EQ(choice_outputFormat->value(), 5);
  EXPECT_EQ(choice_reportUnit->value(), 1);
  EXPECT_EQ(choice_printRepeatMode->value(), 0);
  EXPECT_EQ(choice_NPerfection->value(), 2);
  EXPECT_EQ(choice_removeHidden->value(), 1);
  EXPECT_STREQ(input_flanking->value(), "12");
  EXPECT_STREQ(input_fromSeq->value(), "2");
  EXPECT_STREQ(input_toSeq->value(), "9");
  EXPECT_STREQ(input_minUnitSize->value(), "2");
  EXPECT_STREQ(input_maxUnitSize->value(), "8");
  EXPECT_TRUE(check_scoreFirstUnit->value());
  EXPECT_FALSE(check_treatNsAsMis->value());
  EXPECT_TRUE(check_gaps_to_Ns->value());
  EXPECT_STREQ(input_allowedNs->value(), "3");
  EXPECT_STREQ(input_minLen->value(), "11");
  EXPECT_STREQ(input_minLen_a->value(), "1");
  EXPECT_STREQ(input_minLen_b->value(), "0.5");
  EXPECT_STREQ(input_minScore->value(), "13");
  EXPECT_STREQ(input_minScore_a->value(), "2");
  EXPECT_STREQ(input_minScore_b->value(), "1.25");
  EXPECT_STREQ(input_minPerf->value(), "60");
  EXPECT_STREQ(input_maxPerf->value(), "99.5");
}

// Resets everything the files keep.
void forget_everything()
{
  factory_settings();
  glob_infile->assign("");
  glob_outfile->assign("");
  loadPrefsFilename.clear();
  savePrefsFilename.clear();
}

} // namespace

TEST_F(Preferences, DefaultFileRoundTripsEveryWidgetWithItsGroupsAndKeys)
{
  std::remove(default_prefs_path().c_str());
  // First start: nothing to read, nothing changes.
  readPrefs(nullptr);
  EXPECT_STREQ(glob_infiletext, "");
  EXPECT_TRUE(script.alerts.empty());

  set_every_widget();
  writePrefs(nullptr);
  const prefs_file f = parse(default_prefs_path());
  EXPECT_EQ(f.header, (std::vector<std::string>{"; FLTK preferences file format 1.0",
                                                "; vendor: torvix", "; application: torvix"}));
  EXPECT_EQ(f.groups, (std::vector<std::string>{"Input Output files", "Search Mode group",
                                                "Imperfect search", "Output options",
                                                "General options", "Repeat definition"}));
  using keys = std::vector<std::string>;
  EXPECT_EQ(f.keys.at("Input Output files"),
            (keys{"Input file", "Output file", "Previously loaded parameter file",
                  "Previously saved parameter file"}));
  EXPECT_EQ(f.keys.at("Search Mode group"), (keys{"Search mode", "Mask the sequence", "Distance"}));
  EXPECT_EQ(f.keys.at("Imperfect search"),
            (keys{"Mismatch score", "Gap score", "Recursion depth",
                  "Maximum score reduction in effect", "Maximum score reduction value"}));
  EXPECT_EQ(f.keys.at("Output options"),
            (keys{"Output Format", "Report unit mode", "Print repeat mode", "N perfection mode",
                  "Remove hidden", "Flanking nucleotides"}));
  EXPECT_EQ(f.keys.at("General options"),
            (keys{"From sequence", "To sequence", "Minimum unit size", "Maximum unit size",
                  "Score first unit", "Treat Ns as missing", "Convert gaps and *s to Ns",
                  "Allowed Ns"}));
  EXPECT_EQ(f.keys.at("Repeat definition"),
            (keys{"minLen", "minLen_a", "minLen_b", "minScore", "minScore_a", "minScore_b",
                  "Minimum perfection", "Maximum perfection"}));
  // Encodings: integers for modes, items and boxes; texts verbatim, the
  // store escaping the backslash itself.
  EXPECT_EQ(f.values.at("Search Mode group").at("Search mode"), "2");
  EXPECT_EQ(f.values.at("Search Mode group").at("Mask the sequence"), "2");
  EXPECT_EQ(f.values.at("Imperfect search").at("Maximum score reduction in effect"), "1");
  EXPECT_EQ(f.values.at("Output options").at("Output Format"), "5");
  EXPECT_EQ(f.values.at("General options").at("Score first unit"), "1");
  EXPECT_EQ(f.values.at("General options").at("Treat Ns as missing"), "0");
  EXPECT_EQ(f.values.at("Repeat definition").at("minScore_b"), "1.25");
  EXPECT_EQ(f.values.at("Input Output files").at("Input file"), "/data/in put.fa");
  EXPECT_EQ(f.values.at("Input Output files").at("Output file"), "/data/out\\\\put.torvix");

  forget_everything();
  readPrefs(nullptr);
  do_consistency();
  expect_every_widget();
  EXPECT_TRUE(input_maxRed->active());
  EXPECT_TRUE(script.alerts.empty());
}

TEST_F(Preferences, SearchModeCodesSelectExactlyOneRadioButton)
{
  const std::string path = prefs_dir() + "/modes.prefs";
  Fl_Round_Button *const radios[] = {radio_modeImperf, radio_modeExtend, radio_modePerfec,
                                     radio_modeCompou};
  for (int code = 1; code <= 4; ++code) {
    SCOPED_TRACE(code);
    for (int i = 0; i < 4; ++i)
      radios[i]->value(i + 1 == code);
    writePrefs(path.c_str());
    EXPECT_EQ(parse(path).values.at("Search Mode group").at("Search mode"), std::to_string(code));
    factory_settings();
    readPrefs(path.c_str());
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(radios[i]->value() != 0, i + 1 == code);
  }
  // A compound search runs as the perfect search.
  get_GUI_parameter_values();
  EXPECT_EQ(global_search_mode, 0);
}

TEST_F(Preferences, NamedFileIsExactlyThePathWithItsOwnHeader)
{
  const std::string path = prefs_dir() + "/named.prefs";
  set_every_widget();
  writePrefs(path.c_str());
  const prefs_file f = parse(path);
  EXPECT_EQ(f.header, (std::vector<std::string>{"; FLTK preferences file format 1.0",
                                                "; vendor: torvix", "; application: unknown"}));
  EXPECT_EQ(f.groups.size(), 6u);
  forget_everything();
  readPrefs(path.c_str());
  expect_every_widget();
  EXPECT_TRUE(script.alerts.empty());
}

TEST_F(Preferences, NPerfectionForcedByMissenseStoresTheRememberedItem)
{
  const std::string path = prefs_dir() + "/missense.prefs";
  select_item(choice_NPerfection, 1);
  check_treatNsAsMis->value(1);
  do_consistency();
  ASSERT_EQ(choice_NPerfection->value(), 0);
  writePrefs(path.c_str());
  EXPECT_EQ(parse(path).values.at("Output options").at("N perfection mode"), "1");

  factory_settings();
  readPrefs(path.c_str());
  do_consistency();
  EXPECT_TRUE(check_treatNsAsMis->value());
  EXPECT_EQ(choice_NPerfection->value(), 0);
  EXPECT_FALSE(choice_NPerfection->active());
  writePrefs(path.c_str());
  EXPECT_EQ(parse(path).values.at("Output options").at("N perfection mode"), "1");
  check_treatNsAsMis->value(0);
  do_consistency();
  EXPECT_EQ(choice_NPerfection->value(), 1);
}

TEST_F(Preferences, NoChosenItemIsStoredAsMinusOneAndItemsOutsideTheMenuSelectNothing)
{
  const std::string path = prefs_dir() + "/noitem.prefs";
  select_item(choice_outputFormat, -1);
  writePrefs(path.c_str());
  EXPECT_EQ(parse(path).values.at("Output options").at("Output Format"), "-1");
  factory_settings();
  readPrefs(path.c_str());
  EXPECT_EQ(choice_outputFormat->value(), -1);

  // A hand-edited item beyond the menu.
  std::string text = read_file(path);
  text.replace(text.find("Output Format:-1"), 16, "Output Format:9");
  write_file(path, text);
  factory_settings();
  readPrefs(path.c_str());
  EXPECT_EQ(choice_outputFormat->value(), -1);
  EXPECT_EQ(choice_reportUnit->value(), 2);
}

TEST_F(Preferences, SearchModeZeroKeepsTheNamesAndResetsEverythingElse)
{
  const std::string path = prefs_dir() + "/mode0.prefs";
  write_file(path, "; FLTK preferences file format 1.0\n; vendor: torvix\n; application: unknown\n\n"
                   "[./Input Output files]\n\nInput file:/a/b.fa\nOutput file:/a/b.torvix\n"
                   "Previously loaded parameter file:\nPreviously saved parameter file:\n\n"
                   "[./Search Mode group]\n\nSearch mode:0\n\n"
                   "[./Imperfect search]\n\nMismatch score:-9\n");
  set_every_widget();
  readPrefs(path.c_str());
  EXPECT_STREQ(glob_infiletext, "/a/b.fa");
  EXPECT_STREQ(glob_outfiletext, "/a/b.torvix");
  // An empty "previously loaded" name keeps the one in use; the saved one follows the file.
  EXPECT_EQ(loadPrefsFilename, "/p/loaded.prefs");
  EXPECT_EQ(savePrefsFilename, "");
  EXPECT_STREQ(input_m->value(), "-5");
  EXPECT_TRUE(radio_modeImperf->value());
  EXPECT_EQ(choice_outputFormat->value(), 1);
  EXPECT_TRUE(script.alerts.empty());
}

TEST_F(Preferences, DamagedOrForeignFilesChangeNothing)
{
  const std::string dir = prefs_dir();
  const char damaged[] = "The parameter file could not be read successfully! It might be damaged.";
  const char header[] = "; FLTK preferences file format 1.0\n; vendor: torvix\n; application: unknown\n\n";
  set_every_widget();

  readPrefs((dir + "/does-not-exist.prefs").c_str());
  write_file(dir + "/foreign.prefs", std::string(header) + "[./Other]\n\nkey:1\n");
  readPrefs((dir + "/foreign.prefs").c_str());
  write_file(dir + "/nokey.prefs", std::string(header) +
                                       "[./Input Output files]\n\nOutput file:/x\n"
                                       "[./Search Mode group]\n\nSearch mode:3\n");
  readPrefs((dir + "/nokey.prefs").c_str());
  EXPECT_EQ(script.alerts, (std::vector<std::string>{std::string(damaged) + " Error: -1",
                                                     std::string(damaged) + " Error: -2", damaged}));
  expect_every_widget();

  // The same cases are silent for the user's default file.
  script.alerts.clear();
  write_file(default_prefs_path(), std::string(header) + "[./Other]\n\nkey:1\n");
  readPrefs(nullptr);
  EXPECT_TRUE(script.alerts.empty());
  expect_every_widget();

  // Keys missing further on read as blank fields and item 0.
  write_file(dir + "/short.prefs", std::string(header) +
                                       "[./Input Output files]\n\nInput file:/s.fa\n"
                                       "[./Search Mode group]\n\nSearch mode:1\n");
  readPrefs((dir + "/short.prefs").c_str());
  EXPECT_STREQ(glob_infiletext, "/s.fa");
  EXPECT_STREQ(glob_outfiletext, "");
  EXPECT_STREQ(input_minScore->value(), "");
  EXPECT_EQ(choice_outputFormat->value(), 0);
  // The blank minimum unit size reads as 0, out of range.
  EXPECT_EQ(check_parameters(), -1);
}

TEST_F(Preferences, FileNamesTooLongForTheFieldsAreRefusedWhole)
{
  const std::string path = prefs_dir() + "/longname.prefs";
  set_every_widget();
  writePrefs(path.c_str());
  {
    // Another writer of the same store, with a name the fields cannot hold.
    Fl_Preferences store(path.c_str(), "torvix", nullptr);
    Fl_Preferences files(store, "Input Output files");
    files.set("Output file", ("/" + std::string(1500, 'L') + ".torvix").c_str());
  }
  glob_outfile->assign("/before.torvix");
  input_m->value("-9");
  readPrefs(path.c_str());
  ASSERT_EQ(script.alerts.size(), 1u);
  EXPECT_EQ(script.alerts[0].rfind("A file name longer than 1023 characters cannot be used.", 0), 0u);
  EXPECT_STREQ(glob_outfiletext, "/before.torvix");
  EXPECT_STREQ(input_m->value(), "-9");

  // A line longer than the store's reader takes would come back cut: refused too.
  std::string text = read_file(path);
  const size_t at = text.find("Output file:");
  text.replace(at, text.find("\nPreviously loaded", at) - at, "Output file:/" + std::string(1100, 'M'));
  write_file(path, text);
  script.alerts.clear();
  readPrefs(path.c_str());
  ASSERT_EQ(script.alerts.size(), 1u);
  EXPECT_EQ(script.alerts[0].rfind("The parameter file could not be read successfully! It might be "
                                   "damaged.\nIt has a line longer than",
                                   0),
            0u);
  EXPECT_STREQ(glob_outfiletext, "/before.torvix");
  EXPECT_STREQ(input_m->value(), "-9");
}

TEST_F(Preferences, SaveChecksFirstAppendsTheExtensionAndLoadAppliesTheEnableRules)
{
  const std::string dir = prefs_dir();
  // Invalid fields: corrected, saving refused, no chooser shown.
  input_flanking->value("-1");
  callback_saveParameters(nullptr, chooser_savePrefs);
  ASSERT_EQ(script.alerts.size(), 2u);
  EXPECT_EQ(script.alerts[1], "Saving of search parameters has been aborted since invalid\n"
                              "search parameters were set to their default values.");
  EXPECT_TRUE(script.presets.empty());

  script.alerts.clear();
  savePrefsFilename = "/earlier/name.prefs";
  script.chosen = {dir + "/typed"};
  check_maxRed->value(1);
  callback_saveParameters(nullptr, chooser_savePrefs);
  EXPECT_EQ(script.presets, std::vector<std::string>{"/earlier/name.prefs"});
  EXPECT_EQ(savePrefsFilename, dir + "/typed.prefs");
  EXPECT_TRUE(fileExists((dir + "/typed.prefs").c_str()));
  EXPECT_FALSE(fileExists((dir + "/typed").c_str()));
  EXPECT_EQ(parse(dir + "/typed.prefs").values.at("Input Output files").at(
                "Previously saved parameter file"),
            dir + "/typed.prefs");

  // Cancelled chooser: nothing written, nothing remembered.
  callback_saveParameters(nullptr, chooser_savePrefs);
  EXPECT_EQ(savePrefsFilename, dir + "/typed.prefs");

  factory_settings();
  loadPrefsFilename = "/earlier/load.prefs";
  script.chosen = {dir + "/typed.prefs"};
  callback_loadParameters(nullptr, chooser_loadPrefs);
  EXPECT_EQ(script.presets.back(), "/earlier/load.prefs");
  EXPECT_EQ(loadPrefsFilename, dir + "/typed.prefs");
  EXPECT_TRUE(check_maxRed->value());
  EXPECT_TRUE(input_maxRed->active());
  EXPECT_TRUE(script.alerts.empty());

  // Nothing chosen: nothing loaded.
  factory_settings();
  callback_loadParameters(nullptr, chooser_loadPrefs);
  EXPECT_FALSE(check_maxRed->value());
}
