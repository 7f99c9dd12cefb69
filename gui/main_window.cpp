#include "main_window.h"

#include <cassert>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/Fl_Float_Input.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Int_Input.H>
#include <FL/Fl_Round_Button.H>
#include <FL/Fl_Scroll.H>
#include <FL/fl_ask.H>
#include <FL/filename.H>

#include "formats/report_format.h"
#include "gui/form_parameters.h"
#include "gui/gui_dialogs.h"
#include "gui/preferences.h"
#include "gui/run_analysis.h"
#include "params/global-types-and-parameters.h"

char *glob_infiletext = nullptr;
char *glob_outfiletext = nullptr;
CText *glob_infile = nullptr;
CText *glob_outfile = nullptr;
CSingleFileChooser *chooser_infile = nullptr;
CSingleFileChooser *chooser_outfile = nullptr;
CSingleFileChooser *chooser_loadPrefs = nullptr;
CSingleFileChooser *chooser_savePrefs = nullptr;
Fl_Window *main_window = nullptr;
Fl_Scroll *main_scroll = nullptr;

Fl_Round_Button *radio_modeImperf;
Fl_Round_Button *radio_modePerfec;
Fl_Round_Button *radio_modeExtend;
Fl_Round_Button *radio_modeCompou;
Fl_Input *input_compDist;
Fl_Button *button_run;
Fl_Check_Button *check_maxRed;
Fl_Input *input_m;
Fl_Input *input_g;
Fl_Input *input_r;
Fl_Input *input_maxRed;
Fl_Choice *choice_outputFormat;
Fl_Choice *choice_reportUnit;
Fl_Choice *choice_printRepeatMode;
Fl_Choice *choice_NPerfection;
Fl_Choice *choice_removeHidden;
Fl_Choice *choice_mask_Seq;
Fl_Input *input_flanking;
Fl_Input *input_fromSeq;
Fl_Input *input_toSeq;
Fl_Input *input_minUnitSize;
Fl_Input *input_maxUnitSize;
Fl_Input *input_allowedNs;
Fl_Check_Button *check_scoreFirstUnit;
Fl_Check_Button *check_treatNsAsMis;
Fl_Check_Button *check_gaps_to_Ns;
Fl_Input *input_minLen;
Fl_Input *input_minLen_a;
Fl_Input *input_minLen_b;
Fl_Input *input_minScore;
Fl_Input *input_minScore_a;
Fl_Input *input_minScore_b;
Fl_Input *input_minPerf;
Fl_Input *input_maxPerf;

// With the wide fonts of current desktops the form's texts fit their places
// only at this size, the items of the choices included.
const int form_text_size = 12;

#define TORVIX_MENU_ITEM(text) {text, 0, nullptr, nullptr, 0, FL_NORMAL_LABEL, 0, form_text_size, 0}
#define TORVIX_MENU_END {nullptr, 0, nullptr, nullptr, 0, 0, 0, 0, 0}

// The items come from the format writers, so that a new format appears here
// without an edit of the form.
Fl_Menu_Item *menu_outputFormat()
{
  static std::vector<Fl_Menu_Item> items = [] {
    std::vector<Fl_Menu_Item> list;
    for (const format_menu_item &item : output_format_menu())
      list.push_back(TORVIX_MENU_ITEM(item.label));
    list.push_back(TORVIX_MENU_END);
    return list;
  }();
  return items.data();
}

Fl_Menu_Item menu_reportUnit[] = {
    TORVIX_MENU_ITEM("as is"),
    TORVIX_MENU_ITEM("normalized (cyclic)"),
    TORVIX_MENU_ITEM("normalized (cyclic+rev. complement)"),
    TORVIX_MENU_END};

Fl_Menu_Item menu_printRepeatMode[] = {
    TORVIX_MENU_ITEM("don't print sequence"),
    TORVIX_MENU_ITEM("print repeat sequence"),
    TORVIX_MENU_ITEM("print repeat alignment"),
    TORVIX_MENU_END};

Fl_Menu_Item menu_NPerfection[] = {
    TORVIX_MENU_ITEM("as mismatch"),
    TORVIX_MENU_ITEM("neutral"),
    TORVIX_MENU_ITEM("as match"),
    TORVIX_MENU_END};

Fl_Menu_Item menu_removeHidden[] = {
    TORVIX_MENU_ITEM("remove hidden"),
    TORVIX_MENU_ITEM("don't remove hidden"),
    TORVIX_MENU_END};

Fl_Menu_Item menu_printMaskedSequence[] = {
    TORVIX_MENU_ITEM("No. Do not save masked sequnces"),
    TORVIX_MENU_ITEM("Yes. Mask TRs with  Xs."),
    TORVIX_MENU_ITEM("Yes. Mask TRS with lower case bases"),
    TORVIX_MENU_END};

#undef TORVIX_MENU_ITEM
#undef TORVIX_MENU_END

static const char author_text[] = "Torvix, version " TORVIX_VERSION "\n"
                                  "microsatellite and\n"
                                  "satellite search tool\n"
                                  "Free to use and share\n"
                                  "Comes without warranty";

static const char about_text[] =
    "Torvix, version " TORVIX_VERSION "\n"
    "a microsatellite and satellite search tool:\n"
    "it finds tandem repeats in DNA sequences.\n"
    "\n"
    "Torvix is free to use and to redistribute under the terms\n"
    "of the licence that comes with its source code.\n"
    "Torvix comes without any warranty.\n"
    "\n"
    "Acknowledgements:\n"
    "the graphical interface is built with the FLTK toolkit,\n"
    "the command-line program parses its options with TCLAP.";

bool file_name_fits(const char *name)
{
  if (std::strlen(name) < file_name_buffer_size)
    return true;
  gui_alert("A file name longer than %u characters cannot be used. It has been refused:\n%.60s...",
            file_name_buffer_size - 1, name);
  return false;
}

CText::CText(int x, int y, int w, int h, const char *label)
{
  text[0] = '\0';
  input = new Fl_Input(x, y, w, h, label);
  input->callback(CText_callback, this);
  input->static_value(text);
}

bool CText::assign(const char *name)
{
  if (name != text) {
    if (!file_name_fits(name)) {
      input->static_value(text);
      return false;
    }
    std::memmove(text, name, std::strlen(name) + 1);
  }
  input->static_value(text);
  // A new text of the same length in the same buffer is not redrawn by itself.
  input->redraw();
  return true;
}

void CText::CText_callback(Fl_Widget *, void *ctext)
{
  CText *t = static_cast<CText *>(ctext);
  t->assign(t->input->value());
}

CSingleFileChooser::CSingleFileChooser(Fl_File_Chooser *chooser, CText *text,
                                       void (*follow_up)(void *, void *), void *arg1, void *arg2)
    : fc(chooser), corresponding_text(text), on_chosen(follow_up), on_chosen_arg1(arg1),
      on_chosen_arg2(arg2)
{
  fc->callback(fc_callback);
}

void CSingleFileChooser::show_fc_callback(Fl_Widget *, void *chooser)
{
  static_cast<CSingleFileChooser *>(chooser)->show_fc_and_update_Text_object();
}

void CSingleFileChooser::show_fc_and_update_Text_object()
{
  assert(corresponding_text);
  const char *chosen = gui_choose_file(fc, corresponding_text->text);
  if (!chosen || !corresponding_text->assign(chosen))
    return;
  if (on_chosen)
    on_chosen(on_chosen_arg1, on_chosen_arg2);
}

void CSingleFileChooser::fc_callback(Fl_File_Chooser *, void *) {}

void update_outfile_with_infile(void *input, void *output)
{
  const CText *in = static_cast<const CText *>(input);
  CText *out = static_cast<CText *>(output);
  static const char extension[] = ".torvix";
  // The extension setter cuts what does not fit; a cut name is refused instead.
  char scratch[file_name_buffer_size];
  std::strcpy(scratch, in->text);
  // x.fa.gz gives x.torvix, as x.fa does.
  const size_t length = std::strlen(scratch);
  if (length > 3 && std::strcmp(scratch + length - 3, ".gz") == 0)
    scratch[length - 3] = '\0';
  const char *old_extension = fl_filename_ext(scratch);
  if (static_cast<size_t>(old_extension - scratch) + sizeof extension > file_name_buffer_size) {
    gui_alert("The output file name for\n%.60s...\nwould be longer than %u characters. The output "
              "file name has not been changed.",
              in->text, file_name_buffer_size - 1);
    return;
  }
  fl_filename_setext(scratch, sizeof scratch, extension);
  out->assign(scratch);
}

void callback_about(Fl_Widget *, void *)
{
  fl_message_font(FL_HELVETICA_BOLD, 12);
  gui_message(about_text);
}

bool confirm_quit()
{
  return gui_choice("Are you sure you want to quit?", "Cancel", "Quit") == 1 && save_defaults_for_quit();
}

bool save_defaults_for_quit()
{
  if (check_parameters() != 0) {
    gui_alert("Quitting has been aborted due to the attempt to save invalid\ndefault search "
              "parameters for the next call to this program.");
    return false;
  }
  writePrefs(nullptr);
  return true;
}

void callback_quit(Fl_Widget *, void *)
{
  // Ending the process now would cut the output of the run short without
  // any sign of it; the run is stopped as its own Stop button does, and the
  // program ends after it.
  if (runA && runA->running) {
    if (ask_to_stop(runA))
      runA->quit_when_stopped = true;
    return;
  }
  if (confirm_quit())
    std::exit(0);
}

namespace {

void consistency_cb(Fl_Widget *, void *) { do_consistency(); }
void reset_cb(Fl_Widget *, void *) { factory_settings(); }

// Engraved frame with its label above it at the left.
Fl_Group *frame(int x, int y, int w, int h, const char *label)
{
  Fl_Group *g = new Fl_Group(x, y, w, h, label);
  g->box(FL_ENGRAVED_FRAME);
  g->align(FL_ALIGN_TOP_LEFT);
  return g;
}

// A text that sits inside its box, left-aligned.
void text_box(int x, int y, int w, int h, const char *label)
{
  Fl_Box *b = new Fl_Box(x, y, w, h, label);
  b->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
}

Fl_Choice *choice(int x, int y, int w, int h, const char *label, Fl_Menu_Item *menu)
{
  Fl_Choice *c = new Fl_Choice(x, y, w, h, label);
  c->align(FL_ALIGN_TOP_LEFT);
  c->down_box(FL_BORDER_BOX);
  c->menu(menu);
  return c;
}

Fl_Round_Button *radio(int x, int y, int w, int h, const char *label)
{
  Fl_Round_Button *r = new Fl_Round_Button(x, y, w, h, label);
  r->type(FL_RADIO_BUTTON);
  r->down_box(FL_ROUND_DOWN_BOX);
  r->callback(consistency_cb);
  return r;
}

Fl_Check_Button *check(int x, int y, int w, int h, const char *label)
{
  Fl_Check_Button *c = new Fl_Check_Button(x, y, w, h, label);
  c->down_box(FL_DOWN_BOX);
  c->align(FL_ALIGN_RIGHT);
  return c;
}

Fl_Button *button(int x, int y, int w, int h, const char *label, Fl_Callback *cb, void *data)
{
  Fl_Button *b = new Fl_Button(x, y, w, h, label);
  b->callback(cb, data);
  return b;
}

Fl_Input *right_labelled(Fl_Input *field)
{
  field->align(FL_ALIGN_RIGHT);
  return field;
}

void build_form(Fl_File_Chooser *const choosers[4])
{
  Fl_Box *author = new Fl_Box(630, 620, 180, 105, author_text);
  author->box(FL_PLASTIC_UP_BOX);
  author->labelfont(FL_HELVETICA_BOLD);
  author->labelsize(12);

  Fl_Box *welcome = new Fl_Box(0, 15, 800, 25, "Welcome to Torvix -  a tandem repeat detection tool");
  welcome->labelfont(FL_HELVETICA_BOLD);
  welcome->labelsize(20);

  {
    Fl_Group *g = frame(18, 50, 625, 76, nullptr);
    glob_infile = new CText(170, 60, 365, 25, "Input sequence file:  ");
    glob_outfile = new CText(170, 90, 365, 25, "Output torvix file:   ");
    glob_infiletext = glob_infile->text;
    glob_outfiletext = glob_outfile->text;
    chooser_infile = new CSingleFileChooser(choosers[0], glob_infile, update_outfile_with_infile,
                                            glob_infile, glob_outfile);
    chooser_outfile = new CSingleFileChooser(choosers[1], glob_outfile);
    chooser_loadPrefs = new CSingleFileChooser(choosers[2], nullptr);
    chooser_savePrefs = new CSingleFileChooser(choosers[3], nullptr);
    button(550, 60, 80, 25, "Browse", CSingleFileChooser::show_fc_callback, chooser_infile);
    button(550, 90, 80, 25, "Browse", CSingleFileChooser::show_fc_callback, chooser_outfile);
    g->end();
  }
  {
    Fl_Group *g = frame(663, 50, 150, 270, nullptr);
    button(673, 60, 130, 35, "Load parameters", callback_loadParameters, chooser_loadPrefs);
    button(673, 103, 130, 35, "Save parameters", callback_saveParameters, chooser_savePrefs);
    button(673, 146, 130, 35, "Reset parameters", reset_cb, nullptr);
    button_run = button(673, 189, 130, 35, "Run analysis", callback_runAnalysis, nullptr);
    button_run->labelfont(FL_HELVETICA_BOLD);
    button(673, 232, 130, 35, "About", callback_about, nullptr);
    button(673, 275, 130, 35, "Quit", callback_quit, nullptr);
    g->end();
  }

  {
    Fl_Group *g = frame(18, 155, 320, 165, "Search modes:");
    {
      Fl_Group *modes = new Fl_Group(35, 155, 285, 120);
      radio_modeImperf = radio(35, 165, 150, 24, "Imperfect search");
      radio_modePerfec = radio(35, 190, 150, 24, "Perfect search");
      radio_modeExtend = radio(35, 215, 150, 24, "Extend exact search");
      radio_modeCompou = radio(35, 240, 90, 24, "Compound with distance ");
      radio_modeCompou->hide();
      input_compDist = new Fl_Int_Input(220, 240, 30, 24);
      input_compDist->hide();
      modes->end();
    }
    choice_mask_Seq = choice(35, 285, 260, 20, "Print repeat masked sequnces to file: ",
                             menu_printMaskedSequence);
    g->end();
  }

  {
    Fl_Group *g = frame(358, 155, 285, 165, "Options for imperfect search:");
    input_m = new Fl_Int_Input(580, 165, 30, 24, "Mismatch score: (typical -3 to -6) ");
    input_g = new Fl_Int_Input(580, 195, 30, 24, "Gap score: (typical -3 to -6) ");
    input_r = new Fl_Int_Input(580, 225, 30, 24, "Recursion depth: ");
    check_maxRed = check(380, 255, 20, 24, "Maximum score reduction");
    check_maxRed->callback([](Fl_Widget *, void *) { callback_check_maxRed(); });
    input_maxRed = new Fl_Int_Input(580, 255, 30, 24);
    button(370, 285, 120, 25, "Typical analysis", callback_typical_imperfect_search,
           reinterpret_cast<void *>(1));
    button(500, 285, 120, 25, "Typical masking", callback_typical_imperfect_search,
           reinterpret_cast<void *>(2));
    g->end();
  }

  {
    Fl_Group *g = frame(18, 350, 320, 215, "General options:");
    // The text boxes are as wide as their texts, which must end inside the frame.
    text_box(30, 355, 300, 24, "Analyse sequence range (blank for first/last):");
    input_fromSeq = new Fl_Int_Input(85, 380, 50, 24, "From ");
    text_box(140, 380, 200, 24, "to");
    input_toSeq = new Fl_Int_Input(170, 380, 50, 24);
    text_box(30, 410, 200, 24, "Repeat unit size range:");
    input_minUnitSize = new Fl_Int_Input(85, 435, 50, 24, "From ");
    text_box(140, 435, 200, 24, "to");
    input_maxUnitSize = new Fl_Int_Input(170, 435, 50, 24);
    check_scoreFirstUnit = check(30, 470, 20, 24, "Score first unit");
    check_scoreFirstUnit->hide();
    check_gaps_to_Ns = check(30, 470, 20, 24, "Convert gaps and *s to Ns");
    check_gaps_to_Ns->callback(consistency_cb);
    check_treatNsAsMis = check(30, 495, 20, 24, "Treat N's as missense instead of neutral");
    check_treatNsAsMis->callback(consistency_cb);
    input_allowedNs = right_labelled(new Fl_Int_Input(
        30, 530, 25, 24, " Maximum number of successive N's\n allowed in a repeat: "));
    g->end();
  }

  {
    Fl_Group *g = frame(358, 350, 455, 215, "Requirements on satellites to be reported:");
    text_box(370, 355, 200, 24, "Minimum length of a satellite:");
    input_minLen_a = right_labelled(new Fl_Int_Input(385, 380, 30, 24, "+"));
    input_minLen_b =
        right_labelled(new Fl_Float_Input(436, 380, 30, 24, "*(unit-length),  but not less than "));
    input_minLen = new Fl_Int_Input(690, 380, 30, 24);
    text_box(370, 410, 200, 24, "Minimum score of a satellite:");
    input_minScore_a = right_labelled(new Fl_Int_Input(385, 435, 30, 24, "+"));
    input_minScore_b =
        right_labelled(new Fl_Float_Input(436, 435, 30, 24, "*(unit-length),  but not less than "));
    input_minScore = new Fl_Int_Input(690, 435, 30, 24);
    text_box(370, 465, 300, 24, "Minimum and maximum percentage perfection:");
    text_box(385, 490, 200, 24, "Minimum: ");
    input_minPerf = right_labelled(new Fl_Float_Input(465, 490, 40, 24, "%"));
    text_box(585, 490, 200, 24, "Maximum: ");
    input_maxPerf = right_labelled(new Fl_Float_Input(665, 490, 40, 24, "%"));
    button(390, 525, 170, 24, "Typical length constraint", callback_typical_minRequirements,
           reinterpret_cast<void *>(1));
    button(580, 525, 170, 24, "Typical score constraint", callback_typical_minRequirements,
           reinterpret_cast<void *>(2));
    g->end();
  }

  {
    Fl_Group *g = frame(18, 595, 590, 160, "Output options:");
    // The left column is wider than the right: the closed choice must show
    // "one-per-line with sequence info as comment" whole.
    choice_outputFormat = choice(35, 620, 295, 20, "General output format:", menu_outputFormat());
    choice_reportUnit = choice(35, 670, 295, 20, "Printing mode for satellite unit: ", menu_reportUnit);
    choice_printRepeatMode =
        choice(35, 720, 295, 20, "Printing mode for repeat sequence: ", menu_printRepeatMode);
    choice_NPerfection =
        choice(340, 620, 260, 20, "Treating N's when computing perfection: ", menu_NPerfection);
    choice_removeHidden = choice(340, 670, 260, 20, "Remove hidden repeats: ", menu_removeHidden);
    input_flanking = new Fl_Int_Input(510, 715, 50, 24, "Print flanking nucleotides: ");
    g->end();
  }
}

} // namespace

Fl_Window *build_main_window(int screen_w, int screen_h)
{
  // The choosers are windows of their own, made before the form so that none
  // of them lands inside it.
  Fl_File_Chooser *choosers[4] = {
      new Fl_File_Chooser(".", "*", Fl_File_Chooser::SINGLE, "Choose Fasta input file"),
      new Fl_File_Chooser(".", "*", Fl_File_Chooser::CREATE, "Choose the output file"),
      new Fl_File_Chooser(".", "*", Fl_File_Chooser::SINGLE, "Load a torvix preference file"),
      new Fl_File_Chooser(".", "*", Fl_File_Chooser::CREATE, "Save torvix preference file")};
  choosers[0]->filter("FASTA Files (*.{fa,fas,fast,fasta,fa.gz,fas.gz,fast.gz,fasta.gz})");
  choosers[1]->filter("Torvix Files (*.{tvx,torvix})");
  choosers[2]->filter("Torvix preference files (*.{prefs})");
  choosers[3]->filter("Torvix preference files (*.{prefs})");

  const int w = screen_w < 836 ? screen_w : 835;
  const int h = screen_h < 796 ? screen_h - 30 : 765;
  main_window = new Fl_Double_Window(w, h, "Torvix, version " TORVIX_VERSION);
  main_window->callback(callback_quit);
  main_scroll = new Fl_Scroll(0, 0, w, h);
  // Every widget takes its label and text size from this default when made.
  const int usual_size = FL_NORMAL_SIZE;
  FL_NORMAL_SIZE = form_text_size;
  build_form(choosers);
  FL_NORMAL_SIZE = usual_size;
  main_scroll->end();
  main_window->resizable(main_scroll);
  main_window->end();
  return main_window;
}
