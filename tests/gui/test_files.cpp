// File names: the fields and their buffers, the choosers, the output name
// derived from the input, the checks before a run, and the Quit and About
// dialogs.
#include <sys/stat.h>

#include <FL/Fl_Input.H>

#include "gui/form_parameters.h"
#include "gui/main_window.h"
#include "gui/preferences.h"
#include "gui_test_support.h"
#include "params/global-types-and-parameters.h"

namespace {

using FileNames = GuiTest;

const char too_long_start[] = "A file name longer than 1023 characters cannot be used.";

bool starts_with(const std::string &s, const char *prefix) { return s.rfind(prefix, 0) == 0; }

// Types text into a field and lets it commit, as leaving the field does.
void type_into(CText *t, const std::string &text)
{
  t->input->value(text.c_str());
  t->input->do_callback();
}

} // namespace

TEST_F(FileNames, TypedNamesReachTheBufferAndTooLongOnesAreRefusedNotCut)
{
  type_into(glob_infile, "/data/reads.fa");
  EXPECT_STREQ(glob_infiletext, "/data/reads.fa");
  EXPECT_STREQ(glob_infile->input->value(), "/data/reads.fa");

  const std::string longest(1023, 'a');
  type_into(glob_outfile, longest);
  EXPECT_EQ(std::string(glob_outfiletext), longest);
  EXPECT_TRUE(script.alerts.empty());

  type_into(glob_outfile, "/x/" + std::string(1021, 'b'));
  ASSERT_EQ(script.alerts.size(), 1u);
  EXPECT_TRUE(starts_with(script.alerts[0], too_long_start));
  // The buffer keeps the name it had, and the field shows it again.
  EXPECT_EQ(std::string(glob_outfiletext), longest);
  EXPECT_STREQ(glob_outfile->input->value(), glob_outfiletext);
}

TEST_F(FileNames, ChoosingAnInputSetsTheOutputBesideItWithTheTorvixExtension)
{
  script.chosen = {"/work/dir/x.fa"};
  chooser_infile->show_fc_and_update_Text_object();
  EXPECT_STREQ(glob_infiletext, "/work/dir/x.fa");
  EXPECT_STREQ(glob_outfiletext, "/work/dir/x.torvix");
  EXPECT_EQ(script.presets, std::vector<std::string>{""});

  script.chosen = {"/work/dir.d/genome"};
  chooser_infile->show_fc_and_update_Text_object();
  EXPECT_STREQ(glob_outfiletext, "/work/dir.d/genome.torvix");
  EXPECT_EQ(script.presets.back(), "/work/dir/x.fa");

  // Nothing chosen: both fields stay.
  chooser_infile->show_fc_and_update_Text_object();
  EXPECT_STREQ(glob_infiletext, "/work/dir.d/genome");
  EXPECT_STREQ(glob_outfiletext, "/work/dir.d/genome.torvix");

  // The output chooser has no follow-up.
  script.chosen = {"/elsewhere/result.tvx"};
  chooser_outfile->show_fc_and_update_Text_object();
  EXPECT_STREQ(glob_outfiletext, "/elsewhere/result.tvx");
  EXPECT_STREQ(glob_infiletext, "/work/dir.d/genome");
  EXPECT_TRUE(script.alerts.empty());
}

TEST_F(FileNames, ChosenOrDerivedNamesTooLongForTheBufferAreRefused)
{
  glob_infile->assign("/in.fa");
  glob_outfile->assign("/in.torvix");
  script.chosen = {"/" + std::string(1100, 'c') + ".fa"};
  chooser_infile->show_fc_and_update_Text_object();
  ASSERT_EQ(script.alerts.size(), 1u);
  EXPECT_TRUE(starts_with(script.alerts[0], too_long_start));
  EXPECT_STREQ(glob_infiletext, "/in.fa");
  EXPECT_STREQ(glob_outfiletext, "/in.torvix");

  // An input name that fits, but whose ".torvix" twin would not.
  const std::string input = "/" + std::string(1020, 'd');
  script.alerts.clear();
  script.chosen = {input};
  chooser_infile->show_fc_and_update_Text_object();
  EXPECT_EQ(std::string(glob_infiletext), input);
  ASSERT_EQ(script.alerts.size(), 1u);
  EXPECT_NE(script.alerts[0].find("would be longer than 1023 characters"), std::string::npos);
  EXPECT_STREQ(glob_outfiletext, "/in.torvix");

  // Replacing a long extension by a short one fits.
  const std::string long_extension = "/e." + std::string(1015, 'f');
  glob_infile->assign(long_extension.c_str());
  update_outfile_with_infile(glob_infile, glob_outfile);
  EXPECT_STREQ(glob_outfiletext, "/e.torvix");
}

TEST_F(FileNames, CheckRefusesMissingInputTheInputAsOutputAndAsksBeforeOverwriting)
{
  const std::string dir = scratch_dir() + "/names";
  mkdir(dir.c_str(), 0755);
  const std::string in = dir + "/x.fa";
  write_file(in, ">s\nACGT\n");

  glob_infile->assign((dir + "/missing.fa").c_str());
  EXPECT_EQ(check_filenames(), -1);
  EXPECT_EQ(script.alerts, std::vector<std::string>{"The specified input file does not exist! "
                                                    "Please specify a valid input file!"});
  // A directory is no input file either.
  script.alerts.clear();
  glob_infile->assign(dir.c_str());
  EXPECT_EQ(check_filenames(), -1);
  EXPECT_EQ(script.alerts.size(), 1u);
  EXPECT_FALSE(fileExists(dir.c_str()));
  EXPECT_TRUE(fileExists(in.c_str()));

  const char same[] =
      "The output file name is identical to the input file name! Please specify a valid output file!";
  glob_infile->assign(in.c_str());
  for (const std::string &out : {in, dir + "/./x.fa", dir + "/../names/x.fa"}) {
    SCOPED_TRACE(out);
    script.alerts.clear();
    glob_outfile->assign(out.c_str());
    EXPECT_EQ(check_filenames(), -2);
    EXPECT_EQ(script.alerts, std::vector<std::string>{same});
    EXPECT_TRUE(script.questions.empty());
  }
  EXPECT_EQ(read_file(in), ">s\nACGT\n");

  script.alerts.clear();
  glob_outfile->assign("");
  EXPECT_EQ(check_filenames(), 0);
  glob_outfile->assign((dir + "/new.torvix").c_str());
  EXPECT_EQ(check_filenames(), 0);
  EXPECT_TRUE(script.questions.empty());

  const std::string existing = dir + "/old.torvix";
  write_file(existing, "old\n");
  glob_outfile->assign(existing.c_str());
  script.answers = {0, 1};
  EXPECT_EQ(check_filenames(), 1);
  EXPECT_EQ(check_filenames(), 0);
  EXPECT_EQ(script.questions,
            std::vector<std::string>(2, "The specified output file already exists. Are you sure you "
                                        "want to overwrite it?"));
  EXPECT_TRUE(script.alerts.empty());
}

TEST_F(FileNames, QuitAsksChecksAndWritesTheDefaultPreferences)
{
  const std::string prefs = std::string(getenv("HOME")) + "/.fltk/torvix/torvix.prefs";
  std::remove(prefs.c_str());

  script.answers = {0};
  EXPECT_FALSE(confirm_quit());
  EXPECT_EQ(script.questions, std::vector<std::string>{"Are you sure you want to quit?"});
  EXPECT_FALSE(fileExists(prefs.c_str()));

  // A blank flanking field is corrected, the quit refused.
  input_flanking->value("");
  script.answers = {1};
  EXPECT_FALSE(confirm_quit());
  ASSERT_EQ(script.alerts.size(), 2u);
  EXPECT_EQ(script.alerts[1], "Quitting has been aborted due to the attempt to save invalid\n"
                              "default search parameters for the next call to this program.");
  EXPECT_STREQ(input_flanking->value(), "0");
  EXPECT_FALSE(fileExists(prefs.c_str()));

  glob_infile->assign("/some/input.fa");
  script.answers = {1};
  EXPECT_TRUE(confirm_quit());
  EXPECT_NE(read_file(prefs).find("Input file:/some/input.fa"), std::string::npos);
}

TEST_F(FileNames, AboutNamesProgramVersionPurposeAndTerms)
{
  callback_about();
  ASSERT_EQ(script.messages.size(), 1u);
  const std::string &about = script.messages[0];
  for (const char *part : {"Torvix", "3.3.11", "microsatellite and satellite search tool",
                           "tandem repeats", "free to use", "warranty"})
    EXPECT_NE(about.find(part), std::string::npos) << part;
}
