#include "run.h"

#include <sched.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/search_setup.h"
#include "formats/report_format.h"
#include "input/CFile.h"
#include "input/CSequence_Mol.h"
#include "params/exit_status.h"
#include "params/global-types-and-parameters.h"
#include "run/run_header.h"
#include "run/worker_pool.h"

unsigned threads_for(unsigned n)
{
  if (n != 0)
    return n;
  cpu_set_t cores;
  if (sched_getaffinity(0, sizeof cores, &cores) == 0 && CPU_COUNT(&cores) > 0)
    return static_cast<unsigned>(CPU_COUNT(&cores));
  const unsigned h = std::thread::hardware_concurrency();
  return h ? h : 1;
}

namespace {

// The input side of a run: the record counter and what reading can go wrong.
class record_reader
{
public:
  CFile input;
  unsigned counter = 0;
  unsigned previous_length = 0; // of the record read last
  std::string last_name;        // of the record read last
  double size = 0;              // bytes of the input file; 0 when not known

  // Reads the next record; false, with the failure filled in, when it could
  // not be read. before is set to the length of the record read before it.
  bool next(CSequence_Mol &record, run_observer &observer, unsigned &before, run_failure &failure)
  {
    observer.reading(counter + 1, previous_length);
    read_record(input, record);
    last_name = record.name.c_str();
    if (record.too_long || (input.fail() && !input.eof())) {
      failure.record = counter + 1;
      failure.record_name = record.name.c_str();
      failure.file = global_input_filename;
      failure.line = input.line_number();
      if (record.too_long)
        failure.status = status_record_too_long;
      else if (input.damage_in_rest() != CFile::not_damaged) {
        failure.status = status_damaged_input;
        failure.damage = input.damage_text();
      } else
        failure.status = status_bad_fasta;
      return false;
    }
    ++counter;
    before = previous_length;
    previous_length = record.seq.length;
    return true;
  }
  bool in_range() const { return counter >= global_sequence_from && counter <= global_sequence_to; }
  // Share of the input file read so far, or a negative number when unknown.
  double share_read()
  {
    if (size <= 0)
      return -1;
    const std::streamoff at = input.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in);
    return at < 0 ? -1 : static_cast<double>(at) / size;
  }
};

run_failure failure_of(int status, const std::string &file, unsigned record = 0,
                       const std::string &record_name = std::string())
{
  run_failure f;
  f.status = status;
  f.file = file;
  f.record = record;
  f.record_name = record_name;
  return f;
}

// One record searched on a worker: its report and masked text, and what the
// search told its observer, kept until the record's turn to be written.
struct record_slot {
  CSequence_Mol record;
  std::string name; // of the record, for the run's thread while a worker searches it
  unsigned number = 0;
  unsigned before = 0;
  double share = -1;
  char *report = nullptr;
  size_t report_size = 0;
  char *masked = nullptr;
  size_t masked_size = 0;
  FILE *report_stream = nullptr;
  FILE *masked_stream = nullptr;
  // Set by the run's thread when every record before this one is written
  // and it waits for this one; the worker then writes the report straight
  // into the run's files (written_through) instead of into the buffers
  // above, which would cost a copy of every byte and, for a long record,
  // megabytes of fresh memory.
  bool next_to_write = false;
  bool written_through = false;

  struct event {
    char state; // '\0': a console text; 'n': a note; 's': the record started; else a progress state
    unsigned unit_length;
    std::string text;
  };
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<event> events;
  bool done = false;

  void clear()
  {
    std::free(report);
    std::free(masked);
    report = masked = nullptr;
    report_size = masked_size = 0;
    report_stream = masked_stream = nullptr;
    done = next_to_write = written_through = false;
    events.clear();
  }
  // Where the worker writes the record, once its search is over.
  record_streams streams(run_files &files, bool masking)
  {
    {
      std::lock_guard<std::mutex> lock(mutex);
      written_through = next_to_write;
    }
    if (written_through)
      return record_streams{files.output, files.masked};
    report_stream = open_memstream(&report, &report_size);
    masked_stream = masking ? open_memstream(&masked, &masked_size) : nullptr;
    if (!report_stream || (masking && !masked_stream))
      abort_on_failed_realloc();
    return record_streams{report_stream, masked_stream};
  }
  void close_buffers()
  {
    if (report_stream)
      std::fclose(report_stream);
    if (masked_stream)
      std::fclose(masked_stream);
    report_stream = masked_stream = nullptr;
  }
  ~record_slot() { clear(); }
  void add(event e)
  {
    std::lock_guard<std::mutex> lock(mutex);
    events.push_back(std::move(e));
  }
  // Passes the events so far on to the run's observer.
  void replay(run_observer &observer)
  {
    std::vector<event> taken;
    {
      std::lock_guard<std::mutex> lock(mutex);
      taken.swap(events);
    }
    for (const event &e : taken)
      if (e.state == 's')
        observer.record_started(number, name.c_str(), before);
      else if (e.state == '\0')
        observer.message(e.text.c_str());
      else if (e.state == 'n')
        observer.note(e.text.c_str());
      else
        observer.progress(number, name.c_str(), e.unit_length, e.state);
  }
};

// What the search of one record on a worker tells: kept in its slot, in
// order; stop requests and the clock are the run's.
class slot_observer : public search_observer
{
public:
  slot_observer(record_slot &s, run_observer &o, const std::atomic<bool> &c)
      : slot(s), front(o), cancelled(c)
  {
  }
  bool progress_due() override { return cancelled || front.progress_due(); }
  void progress(unsigned, const char *, unsigned unit_length, char state) override
  {
    slot.add({state, unit_length, std::string()});
  }
  bool stop_requested() override { return cancelled || front.stop_requested(); }
  void message(const char *text) override { slot.add({'\0', 0, text}); }
  void note(const char *text) override { slot.add({'n', 0, text}); }

private:
  record_slot &slot;
  run_observer &front;
  const std::atomic<bool> &cancelled;
};

class run_context
{
public:
  run_context(const run_request &r, run_observer &o) : request(r), observer(o) {}

  int run();

private:
  const run_request &request;
  run_observer &observer;
  record_reader reader;
  run_files files;
  search_setup setup;
  bool stopped = false;

  int fail(run_failure f)
  {
    input_close();
    files.close_all();
    observer.failed(f);
    return f.status;
  }
  void input_close()
  {
    if (reader.input.is_open())
      reader.input.close();
  }
  int write_failed(const std::string &name, unsigned record = 0, const std::string &record_name = "")
  {
    run_failure f = failure_of(status_write_failed, name, record, record_name);
    f.error_number = errno;
    return fail(f);
  }
  // Status of the streams after a record: 0, or the failure's.
  int check_written(unsigned record, const std::string &name)
  {
    if (const std::string *failed = files.failed_stream())
      return write_failed(*failed, record, name);
    return status_ok;
  }
  int search_sequentially();
  int search_in_parallel(unsigned threads);
  int finish();
};

int run_context::run()
{
  if (CFile::is_standard_input(global_input_filename))
    reader.input.open_standard_input();
  else
    reader.input.open(global_input_filename.c_str());
  if (reader.input.fail()) {
    observer.failed(failure_of(status_input_not_opened, global_input_filename));
    return status_input_not_opened;
  }
  struct stat st;
  if (!CFile::is_standard_input(global_input_filename) &&
      stat(global_input_filename.c_str(), &st) == 0 && S_ISREG(st.st_mode))
    reader.size = static_cast<double>(st.st_size);

  // Header and trailer runs read no record, so they must not truncate the
  // masked file that the records runs write.
  const bool reads_records =
      request.part == output_part::all || request.part == output_part::records;
  const run_files::problem problem = files.open(
      CFile::system_path(global_input_filename), global_output_filename,
      reads_records && (global_mask_X || global_mask_lower)
          ? masked_file_name(global_input_filename, reader.input.compressed())
          : std::string());
  if (problem != run_files::no_problem) {
    run_failure f = failure_of(status_output_not_opened, files.name_of(problem));
    f.problem = problem;
    return fail(f);
  }

  observer.started();
  if (request.part == output_part::all || request.part == output_part::header) {
    write_run_header(files.output);
    std::fflush(files.output);
  }
  if (reads_records) {
    // A full disk should end the run now, not after the whole genome.
    if (int status = check_written(0, std::string()))
      return status;
    setup = search_setup::from_parameters();
    const unsigned threads = threads_for(request.threads);
    if (int status = threads > 1 ? search_in_parallel(threads) : search_sequentially())
      return status;
  }
  return finish();
}

int run_context::search_sequentially()
{
  CSequence_Mol record;
  Csat_garbagecollector pool;
  while (!reader.input.eof()) {
    run_failure f;
    unsigned before = 0;
    if (!reader.next(record, observer, before, f))
      return fail(f);
    if (!reader.in_range())
      continue;
    observer.record_started(reader.counter, record.name.c_str(), before);
    observer.search_starting(reader.counter, before);
    analyse_record(
        reader.counter, record, [this] { return record_streams{files.output, files.masked}; },
        setup, pool, observer);
    const double share = reader.share_read();
    if (share >= 0)
      observer.share_done(share);
    if (int status = check_written(reader.counter, record.name.c_str()))
      return status;
    if (observer.stop_requested()) {
      stopped = true;
      break;
    }
  }
  return status_ok;
}

// A record long enough to keep every worker busy for a while is cut into
// chunks, a few per thread so that chunks of unequal work even out; the
// output does not depend on the number. Only the direct imperfect search
// gains: the exact search and the extension of exact seeds are so quick per
// base that confirming the chunks costs more than the threads save.
unsigned chunks_for(unsigned long length, unsigned threads)
{
  if (global_search_mode != 2)
    return 1;
  const unsigned long min_chunk = 1ul << 15;
  return static_cast<unsigned>(std::min<unsigned long>(4ul * threads, std::max(1ul, length / min_chunk)));
}

// Records are read here in order, searched on the workers, each into its own
// report and masked text, and written here in order: the bytes are those of
// the sequential run, and a failure or a stop at a record leaves the records
// before it written and none after.
int run_context::search_in_parallel(unsigned threads)
{
  // Two records per worker keep every worker busy while the oldest is
  // written, and bound the records held in memory.
  const size_t capacity = 2 * static_cast<size_t>(threads);
  std::vector<std::unique_ptr<record_slot>> slots;
  std::vector<record_slot *> free_slots;
  for (size_t i = 0; i < capacity; ++i) {
    slots.push_back(std::make_unique<record_slot>());
    free_slots.push_back(slots.back().get());
  }
  std::vector<std::unique_ptr<Csat_garbagecollector>> pools;
  for (unsigned w = 0; w < threads; ++w)
    pools.push_back(std::make_unique<Csat_garbagecollector>());
  std::atomic<bool> cancelled{false};
  const bool masking = files.masked != nullptr;
  int status = status_ok;
  {
    std::deque<record_slot *> in_flight;
    bool input_done = false;
    run_failure pending; // a reading failure, after the records before it
    task_executor executor; // set once the workers exist
    auto search = [&](record_slot *s, unsigned worker) {
      slot_observer o(*s, observer, cancelled);
      s->add({'s', 0, std::string()});
      observer.search_starting(s->number, s->before);
      analyse_record(
          s->number, s->record, [&] { return s->streams(files, masking); }, setup,
          *pools[worker], o, chunks_for(s->record.seq.length, threads), executor);
      s->close_buffers();
      std::lock_guard<std::mutex> lock(s->mutex);
      s->done = true;
      s->changed.notify_all();
    };
    worker_pool workers(threads);
    // The chunks of a long record go to the same workers; the worker that
    // searches the record takes chunks too, so a batch never waits for a
    // worker busy with another record.
    executor = [&workers](std::size_t n, const std::function<void(std::size_t)> &task) {
      workers.run_tasks(static_cast<unsigned>(n), [&task](unsigned i) { task(i); });
    };
    // Ends the workers' searches before the slots and pools go.
    struct cancel_on_exit {
      std::atomic<bool> &flag;
      ~cancel_on_exit() { flag = true; }
    } cancel{cancelled};
    for (;;) {
      while (!input_done && !stopped && !free_slots.empty()) {
        record_slot *s = free_slots.back();
        s->clear();
        if (!reader.next(s->record, observer, s->before, pending)) {
          input_done = true;
          break;
        }
        input_done = reader.input.eof();
        if (!reader.in_range())
          continue;
        s->number = reader.counter;
        s->name = reader.last_name;
        s->share = reader.share_read();
        free_slots.pop_back();
        in_flight.push_back(s);
        workers.submit([&search, s](unsigned worker) { search(s, worker); });
      }
      if (in_flight.empty())
        break;
      record_slot *s = in_flight.front();
      {
        std::lock_guard<std::mutex> lock(s->mutex);
        s->next_to_write = true;
      }
      // The oldest record's progress is shown as it comes.
      for (bool done = false; !done;) {
        {
          std::unique_lock<std::mutex> lock(s->mutex);
          // A record searched before the run came to wait for it must not
          // cost a whole wait: the notice came before the wait began.
          done = s->changed.wait_for(lock, std::chrono::milliseconds(50), [s] { return s->done; });
        }
        s->replay(observer);
        if (!done)
          observer.waiting();
      }
      in_flight.pop_front();
      free_slots.push_back(s);
      if (!s->written_through) {
        std::fwrite(s->report, 1, s->report_size, files.output);
        if (masking)
          std::fwrite(s->masked, 1, s->masked_size, files.masked);
      }
      if (s->share >= 0)
        observer.share_done(s->share);
      if ((status = check_written(s->number, s->name)) != status_ok)
        break;
      if (observer.stop_requested()) {
        stopped = true;
        break;
      }
    }
    if (status == status_ok && !stopped && pending.status != status_ok)
      status = fail(pending);
  }
  return status;
}

int run_context::finish()
{
  input_close();
  if (files.masked) {
    // The farewell must not follow a masked file that lost data.
    FILE *masked = files.masked;
    files.masked = nullptr;
    if (std::fclose(masked) != 0)
      return write_failed(files.masked_name, reader.counter, reader.last_name);
  }
  if (!stopped && (request.part == output_part::all || request.part == output_part::trailer)) {
    output_format().trailer(files.output);
    // A trailer that did not arrive is a failed run, not a successful one.
    if (std::fflush(files.output) != 0 || std::ferror(files.output))
      return write_failed(files.output_name, reader.counter, reader.last_name);
  }
  observer.ended(stopped, reader.counter, reader.last_name);
  if (const std::string *failed = files.close_all())
    return write_failed(*failed, reader.counter, reader.last_name);
  return stopped ? status_stopped_by_user : status_ok;
}

} // namespace

int run_torvix(const run_request &request, run_observer &observer)
{
  run_context context(request, observer);
  return context.run();
}
