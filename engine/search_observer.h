// How a search reports its progress and hears a stop request: the caller of
// the search decides where progress goes and when a stop comes. A run that
// searches records on several threads calls one observer from all of them,
// so implementations must be safe to call from any thread.
#ifndef TORVIX_ENGINE_SEARCH_OBSERVER_H
#define TORVIX_ENGINE_SEARCH_OBSERVER_H

class search_observer
{
public:
  virtual ~search_observer() = default;
  // True when a time-driven progress report is due.
  virtual bool progress_due() = 0;
  // One progress report; state is 'r' running, 'a' stopped, 'f' finished,
  // 'e' error.
  virtual void progress(unsigned record, const char *name, unsigned unit_length, char state) = 0;
  // True when the user asked the running search to stop.
  virtual bool stop_requested() = 0;
  // A console text of the search, meant for standard error.
  virtual void message(const char *text) = 0;
  // A text about the result that the user must see, however the run is
  // shown; on a console it is one more message.
  virtual void note(const char *text) { message(text); }
};

// Reports nothing and never stops: searches whose caller wants neither.
class silent_observer : public search_observer
{
public:
  bool progress_due() override { return false; }
  void progress(unsigned, const char *, unsigned, char) override {}
  bool stop_requested() override { return false; }
  void message(const char *) override {}
};

#endif
