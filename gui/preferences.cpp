#include "preferences.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Preferences.H>
#include <FL/Fl_Round_Button.H>
#include <FL/filename.H>

#include "gui/form_parameters.h"
#include "gui/gui_dialogs.h"
#include "gui/main_window.h"
#include "gui/prefs_file.h"

std::string loadPrefsFilename;
std::string savePrefsFilename;

namespace {

const char group_files[] = "Input Output files";
const char group_mode[] = "Search Mode group";
const char group_imperfect[] = "Imperfect search";
const char group_output[] = "Output options";
const char group_general[] = "General options";
const char group_repeat[] = "Repeat definition";

const char damaged[] = "The parameter file could not be read successfully! It might be damaged.";

// A text value of any length; empty when missing.
std::string get_text(Fl_Preferences &g, const char *key)
{
  char *value = nullptr;
  g.get(key, value, "");
  std::string s = value ? value : "";
  std::free(value);
  return s;
}

void get_field(Fl_Preferences &g, const char *key, Fl_Input *field)
{
  char value[file_name_buffer_size];
  g.get(key, value, "", sizeof value);
  field->value(value);
}

int get_int(Fl_Preferences &g, const char *key)
{
  int v;
  g.get(key, v, 0);
  return v;
}

// Where the per-user store keeps its file: below the home directory, or in
// the system folder when no home directory is known.
std::string user_prefs_file()
{
  const char *home = std::getenv("HOME");
  return std::string(home ? home : "/etc") + (home ? "/.fltk" : "/fltk") + "/torvix/torvix.prefs";
}

bool read_whole_file(const std::string &name, std::string &text)
{
  FILE *f = std::fopen(name.c_str(), "rb");
  if (!f)
    return false;
  char block[4096];
  size_t n;
  while ((n = std::fread(block, 1, sizeof block, f)) > 0)
    text.append(block, n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

// Why a file was refused, for the end of the message.
std::string problem_text(const prefs_text_check &check)
{
  char text[160];
  switch (check.found) {
  case prefs_text_check::overlong_line:
    std::snprintf(text, sizeof text,
                  "It has a line longer than the %u characters that can be read without cutting it.",
                  longest_readable_line);
    break;
  case prefs_text_check::not_text:
    std::snprintf(text, sizeof text, "Its line %u holds bytes that are not text.", check.line);
    break;
  default:
    std::snprintf(text, sizeof text, "Its line %u is neither a group nor a key with its value.", check.line);
    break;
  }
  return text;
}

// The per-user store, or the named file exactly as given, starting empty:
// the store reads the file it replaces first, which crashes it when the file
// is damaged, and every key is written anew anyway. The store writes its
// file when it is destroyed, after its groups.
std::unique_ptr<Fl_Preferences> open_empty_store(const char *path)
{
  std::remove((path ? std::string(path) : user_prefs_file()).c_str());
  if (path)
    return std::make_unique<Fl_Preferences>(path, "torvix", nullptr);
  return std::make_unique<Fl_Preferences>(Fl_Preferences::USER, "torvix", "torvix");
}

int search_mode_code()
{
  if (radio_modeCompou->value())
    return 4;
  if (radio_modePerfec->value())
    return 3;
  if (radio_modeExtend->value())
    return 2;
  if (radio_modeImperf->value())
    return 1;
  return 0;
}

} // namespace

void writePrefs(const char *path)
{
  std::unique_ptr<Fl_Preferences> store = open_empty_store(path);
  {
    Fl_Preferences g(*store, group_files);
    g.set("Input file", glob_infiletext);
    g.set("Output file", glob_outfiletext);
    g.set("Previously loaded parameter file", loadPrefsFilename.c_str());
    g.set("Previously saved parameter file", savePrefsFilename.c_str());
  }
  {
    Fl_Preferences g(*store, group_mode);
    g.set("Search mode", search_mode_code());
    g.set("Mask the sequence", chosen_item(choice_mask_Seq));
    g.set("Distance", input_compDist->value());
  }
  {
    Fl_Preferences g(*store, group_imperfect);
    g.set("Mismatch score", input_m->value());
    g.set("Gap score", input_g->value());
    g.set("Recursion depth", input_r->value());
    g.set("Maximum score reduction in effect", int(check_maxRed->value()));
    g.set("Maximum score reduction value", input_maxRed->value());
  }
  {
    Fl_Preferences g(*store, group_output);
    g.set("Output Format", chosen_item(choice_outputFormat));
    g.set("Report unit mode", chosen_item(choice_reportUnit));
    g.set("Print repeat mode", chosen_item(choice_printRepeatMode));
    // While N's count as missense the choice is forced; the user's own item is kept.
    g.set("N perfection mode", check_treatNsAsMis->value() ? int(remember_choice_NPerfection)
                                                           : chosen_item(choice_NPerfection));
    g.set("Remove hidden", chosen_item(choice_removeHidden));
    g.set("Flanking nucleotides", input_flanking->value());
  }
  {
    Fl_Preferences g(*store, group_general);
    g.set("From sequence", input_fromSeq->value());
    g.set("To sequence", input_toSeq->value());
    g.set("Minimum unit size", input_minUnitSize->value());
    g.set("Maximum unit size", input_maxUnitSize->value());
    g.set("Score first unit", int(check_scoreFirstUnit->value()));
    g.set("Treat Ns as missing", int(check_treatNsAsMis->value()));
    g.set("Convert gaps and *s to Ns", int(check_gaps_to_Ns->value()));
    g.set("Allowed Ns", input_allowedNs->value());
  }
  {
    Fl_Preferences g(*store, group_repeat);
    g.set("minLen", input_minLen->value());
    g.set("minLen_a", input_minLen_a->value());
    g.set("minLen_b", input_minLen_b->value());
    g.set("minScore", input_minScore->value());
    g.set("minScore_a", input_minScore_a->value());
    g.set("minScore_b", input_minScore_b->value());
    g.set("Minimum perfection", input_minPerf->value());
    g.set("Maximum perfection", input_maxPerf->value());
  }
}

void readPrefs(const char *path)
{
  // A missing default file is the first start: nothing to read.
  const std::string file = path ? std::string(path) : user_prefs_file();
  std::string text;
  if (!read_whole_file(file, text)) {
    if (path)
      gui_alert("%s Error: -1", damaged);
    return;
  }
  const prefs_text_check check = check_prefs_text(text);
  if (check.found != prefs_text_check::none) {
    // At start-up the form keeps its defaults; a question then would hold
    // up the start, so a note says why.
    if (path)
      gui_alert("%s\n%s", damaged, problem_text(check).c_str());
    else
      gui_note(("The default parameter file\n" + file + "\ncould not be read successfully! It might be damaged.\n" +
                problem_text(check) +
                "\nAll parameters have their default values; quitting saves them in its place.")
                   .c_str());
    return;
  }
  const prefs_copy copy(check.cleaned);
  if (!copy.store()) {
    if (path)
      gui_alert("%s Error: -1", damaged);
    return;
  }
  Fl_Preferences *const store = copy.store();
  if (!store->groupExists(group_files)) {
    if (path)
      gui_alert("%s Error: -2", damaged);
    return;
  }
  Fl_Preferences files(*store, group_files);
  if (path && !files.entryExists("Input file")) {
    gui_alert("%s", damaged);
    return;
  }
  std::string input = get_text(files, "Input file");
  std::string output = get_text(files, "Output file");
  // A name too long for the fields is refused whole, before anything changes.
  if (!file_name_fits(input.c_str()) || !file_name_fits(output.c_str())) {
    return;
  }
  glob_infile->assign(input.c_str());
  glob_outfile->assign(output.c_str());
  std::string loaded = get_text(files, "Previously loaded parameter file");
  if (!loaded.empty())
    loadPrefsFilename = loaded;
  savePrefsFilename = get_text(files, "Previously saved parameter file");

  Fl_Preferences mode(*store, group_mode);
  const int code = get_int(mode, "Search mode");
  if (code == 0) {
    factory_settings();
    return;
  }
  Fl_Round_Button *const radios[] = {radio_modeImperf, radio_modeExtend, radio_modePerfec,
                                     radio_modeCompou};
  if (code >= 1 && code <= 4)
    for (int i = 0; i < 4; ++i)
      radios[i]->value(i + 1 == code);
  select_item(choice_mask_Seq, get_int(mode, "Mask the sequence"));
  get_field(mode, "Distance", input_compDist);

  Fl_Preferences imperfect(*store, group_imperfect);
  get_field(imperfect, "Mismatch score", input_m);
  get_field(imperfect, "Gap score", input_g);
  get_field(imperfect, "Recursion depth", input_r);
  check_maxRed->value(get_int(imperfect, "Maximum score reduction in effect") != 0);
  get_field(imperfect, "Maximum score reduction value", input_maxRed);

  Fl_Preferences output_options(*store, group_output);
  select_item(choice_outputFormat, get_int(output_options, "Output Format"));
  select_item(choice_reportUnit, get_int(output_options, "Report unit mode"));
  select_item(choice_printRepeatMode, get_int(output_options, "Print repeat mode"));
  select_item(choice_NPerfection, get_int(output_options, "N perfection mode"));
  remember_choice_NPerfection = static_cast<signed char>(chosen_item(choice_NPerfection));
  select_item(choice_removeHidden, get_int(output_options, "Remove hidden"));
  get_field(output_options, "Flanking nucleotides", input_flanking);

  Fl_Preferences general(*store, group_general);
  get_field(general, "From sequence", input_fromSeq);
  get_field(general, "To sequence", input_toSeq);
  get_field(general, "Minimum unit size", input_minUnitSize);
  get_field(general, "Maximum unit size", input_maxUnitSize);
  check_scoreFirstUnit->value(get_int(general, "Score first unit") != 0);
  check_treatNsAsMis->value(get_int(general, "Treat Ns as missing") != 0);
  check_gaps_to_Ns->value(get_int(general, "Convert gaps and *s to Ns") != 0);
  get_field(general, "Allowed Ns", input_allowedNs);

  Fl_Preferences repeat(*store, group_repeat);
  get_field(repeat, "minLen", input_minLen);
  get_field(repeat, "minLen_a", input_minLen_a);
  get_field(repeat, "minLen_b", input_minLen_b);
  get_field(repeat, "minScore", input_minScore);
  get_field(repeat, "minScore_a", input_minScore_a);
  get_field(repeat, "minScore_b", input_minScore_b);
  get_field(repeat, "Minimum perfection", input_minPerf);
  get_field(repeat, "Maximum perfection", input_maxPerf);
}

void callback_loadParameters(Fl_Widget *, void *chooser)
{
  CSingleFileChooser *c = static_cast<CSingleFileChooser *>(chooser);
  const char *chosen = gui_choose_file(c->fc, loadPrefsFilename.c_str());
  if (!chosen || !chosen[0])
    return;
  loadPrefsFilename = chosen;
  readPrefs(loadPrefsFilename.c_str());
  do_consistency();
}

void callback_saveParameters(Fl_Widget *, void *chooser)
{
  if (check_parameters() != 0) {
    gui_alert("Saving of search parameters has been aborted since invalid\nsearch parameters were "
              "set to their default values.");
    return;
  }
  CSingleFileChooser *c = static_cast<CSingleFileChooser *>(chooser);
  const char *chosen = gui_choose_file(c->fc, savePrefsFilename.c_str());
  if (!chosen || !chosen[0])
    return;
  savePrefsFilename = chosen;
  if (fl_filename_ext(savePrefsFilename.c_str())[0] == '\0')
    savePrefsFilename += ".prefs";
  writePrefs(savePrefsFilename.c_str());
}
