#include "gui_test_support.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "gui/gui_dialogs.h"

dialog_script script;

const std::string &scratch_dir()
{
  // The child process of a death test works in its parent's folder.
  static const std::string dir = [] {
    if (const char *parents = getenv("TORVIX_GUI_TEST_SCRATCH"))
      return std::string(parents);
    static char pattern[] = "/tmp/torvix-gui-test-XXXXXX";
    const std::string made = mkdtemp(pattern) ? pattern : "/tmp";
    setenv("TORVIX_GUI_TEST_SCRATCH", made.c_str(), 1);
    return made;
  }();
  return dir;
}

std::string read_file(const std::string &path)
{
  std::ostringstream s;
  s << std::ifstream(path, std::ios::binary).rdbuf();
  return s.str();
}

void write_file(const std::string &path, const std::string &content)
{
  std::ofstream(path, std::ios::binary) << content;
}

std::vector<form_row> form_rows()
{
  const char *files = "Input Output files", *mode = "Search Mode group", *imperfect = "Imperfect search",
             *output = "Output options", *general = "General options", *repeat = "Repeat definition";
  return {{files, "Input file", glob_infile->input, nullptr, nullptr, "/data/in put.fa"},
          {files, "Output file", glob_outfile->input, nullptr, nullptr, "/data/out.torvix"},
          {files, "Previously loaded parameter file", nullptr, &loadPrefsFilename, nullptr, "/p/l.prefs"},
          {files, "Previously saved parameter file", nullptr, &savePrefsFilename, nullptr, "/p/s.prefs"},
          {mode, "Search mode", nullptr, nullptr, "1", "2"},
          {nullptr, nullptr, radio_modeImperf, nullptr, "1", "0"},
          {nullptr, nullptr, radio_modeExtend, nullptr, "0", "1"},
          {nullptr, nullptr, radio_modePerfec, nullptr, "0", "0"},
          {nullptr, nullptr, radio_modeCompou, nullptr, "0", "0"},
          {mode, "Mask the sequence", choice_mask_Seq, nullptr, "0", "2"},
          {mode, "Distance", input_compDist, nullptr, "5", "7"},
          {imperfect, "Mismatch score", input_m, nullptr, "-5", "-3"},
          {imperfect, "Gap score", input_g, nullptr, "-5", "-4"},
          {imperfect, "Recursion depth", input_r, nullptr, "5", "6"},
          {imperfect, "Maximum score reduction in effect", check_maxRed, nullptr, "0", "1"},
          {imperfect, "Maximum score reduction value", input_maxRed, nullptr, "30", "20"},
          {output, "Output Format", choice_outputFormat, nullptr, "1", "5"},
          {output, "Report unit mode", choice_reportUnit, nullptr, "2", "1"},
          {output, "Print repeat mode", choice_printRepeatMode, nullptr, "2", "-1"},
          {output, "N perfection mode", choice_NPerfection, nullptr, "0", "2"},
          {output, "Remove hidden", choice_removeHidden, nullptr, "0", "1"},
          {output, "Flanking nucleotides", input_flanking, nullptr, "0", "12"},
          {general, "From sequence", input_fromSeq, nullptr, "1", "2"},
          {general, "To sequence", input_toSeq, nullptr, "", "9"},
          {general, "Minimum unit size", input_minUnitSize, nullptr, "1", "2"},
          {general, "Maximum unit size", input_maxUnitSize, nullptr, "10", "8"},
          {general, "Score first unit", check_scoreFirstUnit, nullptr, "0", "1"},
          {general, "Treat Ns as missing", check_treatNsAsMis, nullptr, "0", "1"},
          {general, "Convert gaps and *s to Ns", check_gaps_to_Ns, nullptr, "0", "1"},
          {general, "Allowed Ns", input_allowedNs, nullptr, "2", "3"},
          {repeat, "minLen", input_minLen, nullptr, "0", "11"},
          {repeat, "minLen_a", input_minLen_a, nullptr, "0", "1"},
          {repeat, "minLen_b", input_minLen_b, nullptr, "0", "0.5"},
          {repeat, "minScore", input_minScore, nullptr, "6", "13"},
          {repeat, "minScore_a", input_minScore_a, nullptr, "0", "2"},
          {repeat, "minScore_b", input_minScore_b, nullptr, "1", "1.25"},
          {repeat, "Minimum perfection", input_minPerf, nullptr, "0", "60"},
          {repeat, "Maximum perfection", input_maxPerf, nullptr, "100", "99.5"}};
}

void set_form(const char *form_row::*column)
{
  for (const form_row &row : form_rows()) {
    const char *value = row.*column;
    auto *input = dynamic_cast<Fl_Input *>(row.widget);
    auto *choice = dynamic_cast<Fl_Choice *>(row.widget);
    if (!value || !(row.widget || row.text))
      continue;
    if (row.text)
      *row.text = value;
    else if (input) {
      input->value(value);
      if (input->callback() == CText::CText_callback)
        input->do_callback();
    } else if (choice)
      select_item(choice, std::atoi(value));
    else
      static_cast<Fl_Button *>(row.widget)->value(std::atoi(value));
  }
  do_consistency();
}

std::string form_values(const char *form_row::*column, bool want)
{
  std::string all;
  for (const form_row &row : form_rows()) {
    auto *input = dynamic_cast<Fl_Input *>(row.widget);
    auto *choice = dynamic_cast<Fl_Choice *>(row.widget);
    if (!(row.*column) || !(row.widget || row.text))
      continue;
    const std::string shown = row.text ? *row.text
                              : input  ? input->value()
                              : choice ? std::to_string(choice->value())
                                       : std::to_string(static_cast<Fl_Button *>(row.widget)->value());
    all += std::string(row.key ? row.key : row.widget->label()) + "=" + (want ? row.*column : shown) + "\n";
  }
  return all;
}

void clear_form()
{
  factory_settings();
  glob_infile->assign("");
  glob_outfile->assign("");
  loadPrefsFilename.clear();
  savePrefsFilename.clear();
}

template <class T> T pop_or(std::deque<T> &queue, T none)
{
  if (queue.empty())
    return none;
  T first = queue.front();
  queue.pop_front();
  return first;
}

void GuiTest::SetUp()
{
  if (!main_window) {
    const std::string home = scratch_dir() + "/home";
    mkdir(home.c_str(), 0700);
    setenv("HOME", home.c_str(), 1);
    build_main_window(1024, 700);
  }
  gui_hooks.alert = [](const char *text) { script.alerts.emplace_back(text); };
  gui_hooks.message = [](const char *text) { script.messages.emplace_back(text); };
  gui_hooks.note = [](const char *text) { script.notes.emplace_back(text); };
  gui_hooks.choice = [](const char *question, const char *, const char *) {
    script.questions.emplace_back(question);
    return pop_or(script.answers, 0);
  };
  gui_hooks.choose_file = [](Fl_File_Chooser *, const char *preset) -> const char * {
    static std::string chosen;
    script.presets.emplace_back(preset);
    chosen = pop_or(script.chosen, std::string());
    return chosen.empty() ? nullptr : chosen.c_str();
  };
  script = dialog_script();
  init_param();
  clear_form();
}
