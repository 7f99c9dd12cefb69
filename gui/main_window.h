// The main window: the form with every parameter of a search, the two
// file-name fields with their choosers, and the About and Quit dialogs.
#ifndef TORVIX_GUI_MAIN_WINDOW_H
#define TORVIX_GUI_MAIN_WINDOW_H

#include <FL/Fl_Menu_Item.H>

class Fl_Button;
class Fl_Check_Button;
class Fl_Choice;
class Fl_File_Chooser;
class Fl_Input;
class Fl_Round_Button;
class Fl_Scroll;
class Fl_Widget;
class Fl_Window;

// Room for a file name of 1023 characters and its terminating NUL.
const unsigned file_name_buffer_size = 1024;

// A text field whose text lives in a buffer of the object.
class CText
{
public:
  char text[file_name_buffer_size];
  Fl_Input *input;

  CText(int x, int y, int w, int h, const char *label);
  CText(const CText &) = delete;
  CText &operator=(const CText &) = delete;

  // Copies the field's value into the buffer and shows the buffer again.
  static void CText_callback(Fl_Widget *field, void *ctext);
  // Puts name into the buffer and shows it. A name that does not fit is
  // refused with an alert, never cut: a cut name can lead to another file.
  bool assign(const char *name);
};

// True when name fits into a file-name buffer; otherwise shows the alert
// that refuses it.
bool file_name_fits(const char *name);

// A browse button's chooser and the field that receives the chosen path.
class CSingleFileChooser
{
public:
  Fl_File_Chooser *fc;
  CText *corresponding_text;
  void (*on_chosen)(void *, void *);
  void *on_chosen_arg1;
  void *on_chosen_arg2;

  CSingleFileChooser(Fl_File_Chooser *chooser, CText *text, void (*follow_up)(void *, void *) = nullptr,
                     void *arg1 = nullptr, void *arg2 = nullptr);

  static void show_fc_callback(Fl_Widget *, void *chooser);
  void show_fc_and_update_Text_object();
  static void fc_callback(Fl_File_Chooser *, void *);
};

extern char *glob_infiletext;
extern char *glob_outfiletext;
extern CText *glob_infile;
extern CText *glob_outfile;
extern CSingleFileChooser *chooser_infile;
extern CSingleFileChooser *chooser_outfile;
extern CSingleFileChooser *chooser_loadPrefs;
extern CSingleFileChooser *chooser_savePrefs;
extern Fl_Window *main_window;
extern Fl_Scroll *main_scroll;

extern Fl_Round_Button *radio_modeImperf;
extern Fl_Round_Button *radio_modePerfec;
extern Fl_Round_Button *radio_modeExtend;
extern Fl_Round_Button *radio_modeCompou;
extern Fl_Input *input_compDist;
extern Fl_Button *button_run;
extern Fl_Check_Button *check_maxRed;
extern Fl_Input *input_m;
extern Fl_Input *input_g;
extern Fl_Input *input_r;
extern Fl_Input *input_maxRed;
extern Fl_Choice *choice_outputFormat;
extern Fl_Choice *choice_reportUnit;
extern Fl_Choice *choice_printRepeatMode;
extern Fl_Choice *choice_NPerfection;
extern Fl_Choice *choice_removeHidden;
extern Fl_Choice *choice_mask_Seq;
extern Fl_Input *input_flanking;
extern Fl_Input *input_fromSeq;
extern Fl_Input *input_toSeq;
extern Fl_Input *input_minUnitSize;
extern Fl_Input *input_maxUnitSize;
extern Fl_Input *input_allowedNs;
extern Fl_Check_Button *check_scoreFirstUnit;
extern Fl_Check_Button *check_treatNsAsMis;
extern Fl_Check_Button *check_gaps_to_Ns;
extern Fl_Input *input_minLen;
extern Fl_Input *input_minLen_a;
extern Fl_Input *input_minLen_b;
extern Fl_Input *input_minScore;
extern Fl_Input *input_minScore_a;
extern Fl_Input *input_minScore_b;
extern Fl_Input *input_minPerf;
extern Fl_Input *input_maxPerf;

Fl_Menu_Item *menu_outputFormat();
extern Fl_Menu_Item menu_reportUnit[];
extern Fl_Menu_Item menu_printRepeatMode[];
extern Fl_Menu_Item menu_NPerfection[];
extern Fl_Menu_Item menu_removeHidden[];
extern Fl_Menu_Item menu_printMaskedSequence[];

// Builds the choosers and the form for a screen of the given size, without
// showing anything; returns the main window. Called once per process.
Fl_Window *build_main_window(int screen_w, int screen_h);

// Follow-up of the input chooser: the output name becomes the input name with
// its extension replaced by ".torvix".
void update_outfile_with_infile(void *input, void *output);

void callback_about(Fl_Widget * = nullptr, void * = nullptr);
void callback_quit(Fl_Widget * = nullptr, void * = nullptr);
// The Quit dialog without the end of the process: true when the user
// confirmed and the default preferences have been written.
bool confirm_quit();
// What quitting does once it is decided: check the form and write it as the
// default preferences; false, with the alert, when the check corrected it.
bool save_defaults_for_quit();

#endif
