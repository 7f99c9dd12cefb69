// The form's values: defaults, enable rules, presets, the checks that correct
// bad fields, the file-name checks, and the copy into the global parameter set.
#ifndef TORVIX_GUI_FORM_PARAMETERS_H
#define TORVIX_GUI_FORM_PARAMETERS_H

class Fl_Choice;
class Fl_Input;
class Fl_Widget;

// Item of choice_NPerfection in force before "Treat N's as missense" forced
// it to "as mismatch"; -1 when none was chosen.
extern signed char remember_choice_NPerfection;

// Results of check_parameters.
const int check_all_valid = 0;
const int check_out_of_range_corrected = -1;
const int check_blank_corrected = -2;

void factory_settings();
void do_consistency();
void callback_check_maxRed();
void callback_typical_imperfect_search(Fl_Widget *, void *which);
void callback_typical_minRequirements(Fl_Widget *, void *which);
int check_parameters();
int check_filenames();
bool fileExists(const char *name);
void get_GUI_parameter_values();

// A field is blank when its text is empty or a lone minus sign.
bool is_blank_or_minus(const char *text);
// The field's text read with base-10 integer conversion: a leading number,
// the rest ignored, 0 when there is none; clamped to the int range.
int field_int(const Fl_Input *field);
// Index of the chosen item, -1 when none.
int chosen_item(const Fl_Choice *choice);
// Selects item i, or none when i is not an item of the menu.
void select_item(Fl_Choice *choice, int i);

#endif
