// "Run analysis": the in-process driver, its status texts, its failures and
// the stop request, and the progress window around it.
#include <sys/stat.h>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Window.H>

#include "gui/form_parameters.h"
#include "gui/main_window.h"
#include "gui/run_analysis.h"
#include "gui_test_support.h"
#include "params/global-types-and-parameters.h"

namespace {

using RunAnalysis = GuiTest;

const char header_start[] = "# Results computed with:\n#    Torvix, version 3.3.11\n";
const char trailer[] = "## Finished successfully. ##\n";

std::string run_dir()
{
  const std::string dir = scratch_dir() + "/run";
  mkdir(dir.c_str(), 0755);
  return dir;
}

bool ends_with(const std::string &s, const std::string &end)
{
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

// The status box's lines after the clock.
std::string status_after_clock(const CRunAnalysis &run)
{
  const std::string s = run.status_box->label();
  return s.substr(s.find('\n') + 1);
}

struct run_fixture {
  CRunAnalysis run;
  run_fixture() { run.create_window(); }
  ~run_fixture() { delete run.window; }
};

} // namespace

TEST_F(RunAnalysis, ShortRecordFinishesWithHeaderTrailerAndTheFinishedStatus)
{
  const std::string in = run_dir() + "/short.fa", out = run_dir() + "/short.torvix";
  write_file(in, ">seq1 first record\nACGTACGTTTGACCA\n");
  glob_infile->assign(in.c_str());
  glob_outfile->assign(out.c_str());
  input_maxUnitSize->value("7");
  run_fixture f;
  EXPECT_EQ(main_torvix(f.run.argc, f.run.argv, &f.run), 0);
  EXPECT_EQ(runA, &f.run);
  const std::string output = read_file(out);
  EXPECT_EQ(output.rfind(header_start, 0), 0u);
  EXPECT_NE(output.find("# Input file name:                         " + in + "\n"), std::string::npos);
  EXPECT_NE(output.find("# Output file name:                        " + out + "\n"), std::string::npos);
  EXPECT_TRUE(ends_with(output, trailer));
  EXPECT_EQ(status_after_clock(f.run), "1\nseq1\n7\nfinished successfully");
  EXPECT_TRUE(script.alerts.empty());
  EXPECT_STREQ(f.run.argv[0], "Torvix");
  EXPECT_EQ(f.run.argc, 1);
  EXPECT_EQ(std::string(f.run.started_text).rfind("3.3.11\n", 0), 0u);
}

TEST_F(RunAnalysis, TrailerFollowsTheOutputFormat)
{
  const std::string in = run_dir() + "/fmt.fa", out = run_dir() + "/fmt.out";
  write_file(in, ">a\nACGT\n>b\nTTTT\n");
  glob_infile->assign(in.c_str());
  glob_outfile->assign(out.c_str());
  const struct {
    int item;
    const char *end;
  } formats[] = {{2, "# End tandem repeats\n"}, {3, "# End tandem repeats\n"}, {0, trailer}, {4, trailer}};
  for (const auto &fmt : formats) {
    select_item(choice_outputFormat, fmt.item);
    run_fixture f;
    EXPECT_EQ(main_torvix(1, f.run.argv, &f.run), 0);
    EXPECT_TRUE(ends_with(read_file(out), fmt.end)) << fmt.item;
  }
  // FASTA output has no trailer at all.
  select_item(choice_outputFormat, 6);
  run_fixture f;
  EXPECT_EQ(main_torvix(1, f.run.argv, &f.run), 0);
  const std::string output = read_file(out);
  EXPECT_EQ(output.find("## Finished"), std::string::npos);
  EXPECT_EQ(output.find("# End tandem"), std::string::npos);
}

TEST_F(RunAnalysis, UnopenableFilesAndWriteFailuresEndTheRunWithAnAlertNamingTheFile)
{
  const std::string in = run_dir() + "/ok.fa";
  write_file(in, ">a\nACGT\n");
  glob_infile->assign(in.c_str());
  const std::string no_dir = run_dir() + "/no/such/dir/out.torvix";
  glob_outfile->assign(no_dir.c_str());
  {
    run_fixture f;
    EXPECT_EQ(main_torvix(1, f.run.argv, &f.run), -102);
    ASSERT_EQ(script.alerts.size(), 1u);
    EXPECT_NE(script.alerts[0].find("\"" + no_dir + "\""), std::string::npos);
    EXPECT_TRUE(ends_with(f.run.status_box->label(), "\naborted due to error"));
  }
  {
    script.alerts.clear();
    glob_infile->assign((run_dir() + "/missing.fa").c_str());
    glob_outfile->assign((run_dir() + "/never.torvix").c_str());
    run_fixture f;
    EXPECT_EQ(main_torvix(1, f.run.argv, &f.run), -101);
    ASSERT_EQ(script.alerts.size(), 1u);
    EXPECT_NE(script.alerts[0].find("missing.fa"), std::string::npos);
    EXPECT_FALSE(fileExists((run_dir() + "/never.torvix").c_str()));
  }
  {
    // A full disk.
    script.alerts.clear();
    glob_infile->assign(in.c_str());
    glob_outfile->assign("/dev/full");
    run_fixture f;
    EXPECT_EQ(main_torvix(1, f.run.argv, &f.run), -103);
    ASSERT_EQ(script.alerts.size(), 1u);
    EXPECT_NE(script.alerts[0].find("\"/dev/full\""), std::string::npos);
    EXPECT_TRUE(ends_with(f.run.status_box->label(), "\naborted due to error"));
  }
  {
    // The masked file lies beside the input; a folder of that name refuses it.
    script.alerts.clear();
    const std::string masked = run_dir() + "/ok.fa.masked";
    mkdir(masked.c_str(), 0755);
    glob_infile->assign(in.c_str());
    glob_outfile->assign((run_dir() + "/masked-run.torvix").c_str());
    select_item(choice_mask_Seq, 1);
    run_fixture f;
    EXPECT_EQ(main_torvix(1, f.run.argv, &f.run), -102);
    ASSERT_EQ(script.alerts.size(), 1u);
    EXPECT_NE(script.alerts[0].find("\"" + masked + "\""), std::string::npos);
    EXPECT_TRUE(ends_with(f.run.status_box->label(), "\naborted due to error"));
  }
}

TEST_F(RunAnalysis, MalformedInputShowsTheLineAndKeepsWhatWasWritten)
{
  const std::string in = run_dir() + "/bad.fa", out = run_dir() + "/bad.torvix";
  write_file(in, ">a\nACGT\n>b\nAC1GT\n");
  glob_infile->assign(in.c_str());
  glob_outfile->assign(out.c_str());
  run_fixture f;
  EXPECT_EQ(main_torvix(1, f.run.argv, &f.run), -25);
  ASSERT_EQ(script.alerts.size(), 1u);
  EXPECT_EQ(script.alerts[0].rfind("An error occurred while reading the input file. It might not "
                                   "be a valid fasta file.\nFile position: line 4"),
            0u);
  EXPECT_TRUE(ends_with(f.run.status_box->label(), "\naborted due to error"));
  const std::string output = read_file(out);
  EXPECT_EQ(output.rfind(header_start, 0), 0u);
  EXPECT_EQ(output.find(trailer), std::string::npos);
}

TEST_F(RunAnalysis, StopEndsTheRunAfterTheRecordWithoutTrailer)
{
  const std::string in = run_dir() + "/stop.fa", out = run_dir() + "/stop.torvix";
  write_file(in, ">r1\nACGTACGT\n>r2\nACGTACGT\n>r3\nACGTACGT\n");
  glob_infile->assign(in.c_str());
  glob_outfile->assign(out.c_str());
  run_fixture f;
  f.run.stop_requested = true;
  EXPECT_EQ(main_torvix(1, f.run.argv, &f.run), 1);
  const std::string output = read_file(out);
  EXPECT_EQ(output.rfind(header_start, 0), 0u);
  EXPECT_EQ(output.find(trailer), std::string::npos);
  EXPECT_EQ(output.find(">r2"), std::string::npos);
  // The pattern length is that of the search's last status.
  const std::string status = status_after_clock(f.run);
  EXPECT_EQ(status.rfind("1\nr1\n", 0), 0u);
  EXPECT_TRUE(ends_with(status, "\nstopped by the user"));
}

TEST_F(RunAnalysis, StopQuestionCancelLetsTheRunGoOn)
{
  run_fixture f;
  script.answers = {0, 1};
  CRunAnalysis::stop_callback(nullptr, &f.run);
  EXPECT_FALSE(f.run.stop_requested);
  CRunAnalysis::stop_callback(nullptr, &f.run);
  EXPECT_TRUE(f.run.stop_requested);
  EXPECT_EQ(script.questions,
            std::vector<std::string>(2, "Are you sure you want to stop this analysis?"));
}

namespace {

Fl_Window *progress_window()
{
  for (Fl_Window *w = Fl::first_window(); w; w = Fl::next_window(w))
    if (w->label() && std::string(w->label()) == "Progress of torvix analysis")
      return w;
  return nullptr;
}

Fl_Button *progress_button(Fl_Window *w)
{
  for (int i = 0; i < w->children(); ++i)
    if (Fl_Button *b = dynamic_cast<Fl_Button *>(w->child(i)))
      return b;
  return nullptr;
}

// Watches the run from inside its event processing, as a user would: closes
// the progress window while the button reads "Stop" (which must ask whether
// to stop), and closes it again once the button reads "Close".
struct watcher {
  bool close_during_run = false;
  bool asked_during_run = false;
  bool saw_run_disabled = false;
  static void tick(void *data)
  {
    watcher *w = static_cast<watcher *>(data);
    if (Fl_Window *win = progress_window()) {
      w->saw_run_disabled = w->saw_run_disabled || !button_run->active();
      const std::string label = progress_button(win)->label();
      if (w->close_during_run && !w->asked_during_run && label == "Stop") {
        w->asked_during_run = true;
        win->do_callback();
      } else if (label == "Close") {
        win->do_callback();
        return;
      }
    }
    Fl::repeat_timeout(0.01, tick, data);
  }
};

} // namespace

TEST_F(RunAnalysis, RunAnalysisChecksRunsAndWaitsForTheWindowToClose)
{
  // Invalid fields: corrected, the run refused.
  input_r->value("0");
  callback_runAnalysis();
  ASSERT_EQ(script.alerts.size(), 2u);
  EXPECT_EQ(script.alerts[1], "The \"Run Analysis\" command has been aborted since invalid\n"
                              "search parameters were set to their default values.");
  // A missing input: only the file check's own alert.
  script.alerts.clear();
  glob_infile->assign((run_dir() + "/absent.fa").c_str());
  callback_runAnalysis();
  EXPECT_EQ(script.alerts.size(), 1u);

  const std::string in = run_dir() + "/full.fa", out = run_dir() + "/full.torvix";
  write_file(in, ">a\nACGTACGTAC\n>b\nGGGGCCCC\n");
  glob_infile->assign(in.c_str());
  glob_outfile->assign(out.c_str());
  script.alerts.clear();
  watcher w;
  Fl::add_timeout(0.0, watcher::tick, &w);
  callback_runAnalysis();
  Fl::remove_timeout(watcher::tick, &w);
  EXPECT_TRUE(w.saw_run_disabled);
  EXPECT_TRUE(button_run->active());
  EXPECT_TRUE(ends_with(read_file(out), trailer));
  EXPECT_TRUE(script.alerts.empty());
  EXPECT_EQ(runA, nullptr);

  // Closing the window during the run asks whether to stop; "Stop analysis" stops it.
  script.answers = {1, 1};
  watcher stopper;
  stopper.close_during_run = true;
  Fl::add_timeout(0.0, watcher::tick, &stopper);
  callback_runAnalysis();
  Fl::remove_timeout(watcher::tick, &stopper);
  EXPECT_TRUE(stopper.asked_during_run);
  ASSERT_GE(script.questions.size(), 2u);
  EXPECT_EQ(script.questions[1], "Are you sure you want to stop this analysis?");
  EXPECT_EQ(read_file(out).find(trailer), std::string::npos);
  EXPECT_TRUE(button_run->active());
}
