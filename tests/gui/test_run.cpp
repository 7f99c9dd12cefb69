// "Run analysis": the in-process driver, its status texts, its failures and
// the stop request, and the progress window around it.
#include <sys/stat.h>

#include <fstream>
#include <functional>

#include <FL/Fl_Box.H>
#include <FL/Fl_Progress.H>

#include <zlib.h>

#include "gui/console_gui.h"
#include "gui_test_support.h"

namespace {

using RunAnalysis = GuiTest;

const char header_start[] = "# Results computed with:\n#    Torvix, version 3.3.11\n";
const char trailer[] = "## Finished successfully. ##\n";

bool ends_with(const std::string &s, const std::string &end)
{
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

// Runs the form's parameters on in and out; returns the status and the
// status box's lines after the clock.
std::pair<int, std::string> run(const std::string &in, const std::string &out, bool stop = false)
{
  glob_infile->assign(in.c_str());
  glob_outfile->assign(out.c_str());
  CRunAnalysis run;
  run.create_window();
  run.stop_requested = stop;
  const int status = main_torvix(run.argc, run.argv, &run);
  const std::string box = run.status_box->label();
  EXPECT_EQ(std::string(run.started_text).rfind("3.3.11\n", 0), 0u);
  delete run.window;
  runA = nullptr;
  return {status, box.substr(box.find('\n') + 1)};
}

// Watches the run from inside its event processing, as a user would: closes
// the progress window once while its button reads "Stop" (or does what
// during_run says instead), and again when it reads "Close".
struct watcher {
  bool closed_during_run = false, saw_run_disabled = false;
  std::function<void()> during_run;
  static void tick(void *data)
  {
    watcher *w = static_cast<watcher *>(data);
    for (Fl_Window *win = Fl::first_window(); win; win = Fl::next_window(win)) {
      if (!win->label() || std::string(win->label()) != "Progress of torvix analysis")
        continue;
      w->saw_run_disabled = w->saw_run_disabled || !button_run->active();
      const std::string label = static_cast<Fl_Button *>(win->child(win->children() - 1))->label();
      if (label == "Close" || !w->closed_during_run) {
        w->closed_during_run = true;
        if (label != "Close" && w->during_run)
          w->during_run();
        else
          win->do_callback();
        if (label == "Close")
          return;
      }
    }
    Fl::repeat_timeout(0.01, tick, data);
  }
};

} // namespace

TEST_F(RunAnalysis, FinishedRunEndsWithTheTrailerOfItsFormatAndAStoppedOneWithout)
{
  const std::string in = scratch_dir() + "/short.fa", out = scratch_dir() + "/short.torvix";
  write_file(in, ">seq1 first record\nACGTACGTTTGACCA\n>r2\nACGTACGT\n");
  input_maxUnitSize->value("7");
  const char gff_end[] = "# End tandem repeats\n";
  // A null end: FASTA output has no trailer at all.
  const struct { int item; const char *end; } rows[] = {
      {0, trailer}, {2, gff_end}, {3, gff_end}, {4, trailer}, {5, trailer}, {6, nullptr},
      {7, nullptr}, {8, trailer}, {1, trailer}};
  for (const auto &row : rows) {
    select_item(choice_outputFormat, row.item);
    EXPECT_EQ(run(in, out), std::make_pair(0, std::string("2\nr2\n7\nfinished successfully")));
    const std::string output = read_file(out);
    EXPECT_TRUE(row.end ? ends_with(output, row.end) : output.find("## Finished") == output.find("# End tandem"))
        << row.item;
  }
  std::string output = read_file(out);
  EXPECT_EQ(output.rfind(header_start, 0), 0u);
  EXPECT_NE(output.find("# Input file name:                         " + in + "\n"), std::string::npos);
  EXPECT_NE(output.find("# Output file name:                        " + out + "\n"), std::string::npos);
  // A stop ends the run after the record, without trailer; the pattern
  // length is that of the search's last status.
  const auto stopped = run(in, out, true);
  EXPECT_EQ(stopped.first, 1);
  EXPECT_TRUE(stopped.second.rfind("1\nseq1\n", 0) == 0 && ends_with(stopped.second, "\nstopped by the user"));
  output = read_file(out);
  EXPECT_EQ(output.rfind(header_start, 0), 0u);
  EXPECT_EQ(output.find(trailer), std::string::npos);
  EXPECT_EQ(output.find(">r2"), std::string::npos);
  EXPECT_TRUE(script.alerts.empty());
}

// Faults guarded: a bar that does not move, that shows a stopped run as
// complete, or that hides the window's fields or takes the button's place.
TEST_F(RunAnalysis, ProgressBarShowsTheShareOfTheInputWrittenBelowTheFieldsAndFullOnlyAtTheEnd)
{
  // Record 1 ends inside the reader's first megabyte of a 1.5 MB file.
  const std::string in = scratch_dir() + "/two.fa", out = scratch_dir() + "/two.torvix";
  std::string bases;
  for (unsigned x = 12345; bases.size() < 1500000;) {
    x = x * 1103515245u + 12345u;
    bases += "ACGT"[(x >> 16) & 3];
  }
  write_file(in, ">one\n" + bases.substr(0, 500000) + "\n>two\n" + bases.substr(500000) + "\n");
  glob_infile->assign(in.c_str());
  glob_outfile->assign(out.c_str());
  for (const bool stop : {true, false}) {
    CRunAnalysis run;
    run.create_window();
    ASSERT_NE(run.progress_bar, nullptr);
    EXPECT_EQ(run.progress_bar->value(), 0.0f);
    EXPECT_GE(run.progress_bar->y(), run.button->y() + run.button->h()) << "the bar covers a field";
    EXPECT_LE(run.progress_bar->y() + run.progress_bar->h(), run.window->h());
    EXPECT_EQ(run.window->child(run.window->children() - 1), run.button);
    run.stop_requested = stop;
    EXPECT_EQ(stop ? 1 : 0, main_torvix(run.argc, run.argv, &run));
    if (stop) {
      EXPECT_GT(run.progress_bar->value(), 0.0f) << "the record written is not shown";
      EXPECT_LT(run.progress_bar->value(), 100.0f) << "a stopped run is shown as complete";
    } else
      EXPECT_EQ(run.progress_bar->value(), 100.0f);
    delete run.window;
    runA = nullptr;
  }
}

// Faults guarded: a failure that is not reported, or reported without the
// file; a damaged gzip input taken for a shorter genome.
TEST_F(RunAnalysis, FailuresAbortTheRunWithAnAlertNamingTheFileOrLine)
{
  const std::string dir = scratch_dir() + "/", in = dir + "ok.fa", bad = dir + "bad.fa";
  write_file(in, ">a\nACGT\n");
  write_file(bad, ">a\nACGT\n>b\nAC1GT\n");
  // The masked file lies beside the input; a folder of that name refuses it.
  mkdir((in + ".masked").c_str(), 0755);
  // A compressed input: its masked file is named without ".gz"; cut in the
  // middle, it is damaged.
  const std::string gz = dir + "z.fa.gz", cut = dir + "cut.fa.gz";
  gzFile z = gzopen(gz.c_str(), "wb");
  for (int i = 0; i < 2000; ++i)
    gzprintf(z, ">r%d\nACGTTGCAAGGCTTAACCGT%d\n", i, i * 7919 % 1000);
  gzclose(z);
  const std::string bytes = read_file(gz);
  write_file(cut, bytes.substr(0, bytes.size() / 2));
  mkdir((dir + "z.fa.masked").c_str(), 0755);
  const struct { std::string in, out; int mask, status; std::string alert_part; } rows[] = {
      {in, dir + "no/such/dir/out.torvix", 0, -102, "\"" + dir + "no/such/dir/out.torvix\""},
      {dir + "missing.fa", dir + "never.torvix", 0, -101, "\"" + dir + "missing.fa\""},
      {in, "/dev/full", 0, -103, "\"/dev/full\""},
      {in, dir + "masked.torvix", 1, -102, "\"" + in + ".masked\""},
      {bad, dir + "bad.torvix", 0, -25,
       "An error occurred while reading the input file. It might not be a valid fasta file.\nFile position: line 4"},
      {gz, dir + "z.torvix", 1, -102, "\"" + dir + "z.fa.masked\""},
      {cut, dir + "cut.torvix", 0, -26, "a truncated gzip file"},
  };
  for (const auto &row : rows) {
    select_item(choice_mask_Seq, row.mask);
    const auto result = run(row.in, row.out);
    EXPECT_EQ(result.first, row.status);
    EXPECT_TRUE(ends_with(result.second, "\naborted due to error")) << result.second;
    ASSERT_EQ(script.alerts.size(), 1u);
    EXPECT_NE(script.alerts[0].find(row.alert_part), std::string::npos) << script.alerts[0];
    script.alerts.clear();
  }
  EXPECT_FALSE(std::ifstream(dir + "never.torvix"));
  // What was written before the bad line stays, without trailer.
  const std::string output = read_file(dir + "bad.torvix");
  EXPECT_EQ(output.rfind(header_start, 0), 0u);
  EXPECT_EQ(output.find(trailer), std::string::npos);
}

// Fault guarded: the note that a record passed its work bound (its repeats
// from there on reported as first found) went only to standard error, which
// the front end's user never sees; the console texts must not pop up.
TEST_F(RunAnalysis, ANoteOfTheSearchIsShownInAWindowOfItsOwnAndConsoleTextsAreNot)
{
  CRunAnalysis run;
  run.create_window();
  gui_observer observer(run);
  observer.message("  Searching for exact repeats.\n");
  const std::string note = "Note: the search of sequence \"s\" passed its work bound in the "
                           "repeat at 11-5000 (unit length 171).";
  observer.note((note + "\n").c_str());
  EXPECT_EQ(script.notes, std::vector<std::string>{note});
  EXPECT_TRUE(script.messages.empty());
  script.notes.clear();
  delete run.window;
  runA = nullptr;
}

TEST_F(RunAnalysis, RunAnalysisChecksFirstAndStopsOnlyWhenTheUserConfirms)
{
  // Invalid fields: corrected, the run refused; a missing input: only the file check's alert.
  input_r->value("0");
  callback_runAnalysis();
  glob_infile->assign((scratch_dir() + "/absent.fa").c_str());
  callback_runAnalysis();
  ASSERT_EQ(script.alerts.size(), 3u);
  EXPECT_EQ(script.alerts[1], "The \"Run Analysis\" command has been aborted since invalid\n"
                              "search parameters were set to their default values.");
  script.alerts.clear();
  const std::string in = scratch_dir() + "/full.fa", out = scratch_dir() + "/full.torvix";
  write_file(in, ">a\nACGTACGTAC\n>b\nGGGGCCCC\n");
  glob_infile->assign(in.c_str());
  glob_outfile->assign(out.c_str());
  // Closing the window during the run asks whether to stop: "Cancel" goes
  // on; the second run first agrees to overwrite the first one's output.
  for (const std::deque<int> &answers : {std::deque<int>{0}, std::deque<int>{1, 1}}) {
    script.answers = answers;
    watcher w;
    Fl::add_timeout(0.0, watcher::tick, &w);
    callback_runAnalysis();
    Fl::remove_timeout(watcher::tick, &w);
    EXPECT_TRUE(w.closed_during_run && w.saw_run_disabled && button_run->active() && !runA);
    EXPECT_EQ(ends_with(read_file(out), trailer), answers.size() == 1);
    EXPECT_EQ(script.questions.back(), "Are you sure you want to stop this analysis?");
  }
  EXPECT_TRUE(script.alerts.empty());
}

TEST_F(RunAnalysis, QuitOrEscapeDuringARunAsksToStopAndQuitsOnlyAfterTheOutputIsEnded)
{
  // Quit and Escape used to end the process at once, leaving an output that
  // held its header only and said nothing of the stop.
  const std::string in = scratch_dir() + "/quit.fa", out = scratch_dir() + "/quit.torvix";
  write_file(in, ">first_record\nACGTACGTACGTAC\n>second_record\nGGGGCCCCGGGG\n");
  glob_infile->assign(in.c_str());
  glob_outfile->assign(out.c_str());
  const std::string stop_question = "Are you sure you want to stop this analysis?";
  auto run_and_answer = [&](int answer, std::function<void()> during_run) {
    std::remove(out.c_str());
    script.answers = {answer};
    watcher w;
    w.during_run = during_run;
    Fl::add_timeout(0.0, watcher::tick, &w);
    callback_runAnalysis();
    Fl::remove_timeout(watcher::tick, &w);
    EXPECT_EQ(script.questions, std::vector<std::string>{stop_question});
    script.questions.clear();
    EXPECT_TRUE(w.closed_during_run && button_run->active() && !runA);
    return read_file(out);
  };
  auto stopped_after_first_record = [](const std::string &output) {
    return output.find("first_record") != std::string::npos &&
           output.find("second_record") == std::string::npos && output.find(trailer) == std::string::npos;
  };
  const std::function<void()> quit = [] { main_window->do_callback(); };
  const std::function<void()> escape = [] {
    Fl::e_keysym = FL_Escape;
    Fl::handle(FL_SHORTCUT, main_window);
  };
  // "Cancel": the run goes on to its trailer and the program stays.
  for (const auto &key : {quit, escape})
    EXPECT_TRUE(ends_with(run_and_answer(0, key), trailer));
  // "Stop analysis": the output ends as a stopped one; the quit that follows
  // is refused when the form fails its check.
  const std::string stopped = run_and_answer(1, [&] {
    input_flanking->value("");
    quit();
  });
  EXPECT_TRUE(stopped_after_first_record(stopped)) << stopped;
  EXPECT_EQ(script.alerts.back(), "Quitting has been aborted due to the attempt to save invalid\n"
                                  "default search parameters for the next call to this program.");
  script.alerts.clear();
  // With a valid form the program ends once the output is ended, with the
  // default preferences written.
  const std::string prefs = std::string(getenv("HOME")) + "/.fltk/torvix/torvix.prefs";
  std::remove(prefs.c_str());
  std::remove(out.c_str());
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  EXPECT_EXIT(run_and_answer(1, escape), ::testing::ExitedWithCode(0), "");
  EXPECT_TRUE(stopped_after_first_record(read_file(out))) << read_file(out);
  EXPECT_NE(read_file(prefs).find("Input file:" + in), std::string::npos);
  EXPECT_TRUE(script.alerts.empty());
}
