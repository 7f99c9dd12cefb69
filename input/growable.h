// Growable buffers used throughout Torvix: faststring (bytes), fastvector
// (plain values) and slimvector (plain values behind a single pointer). All
// start with room for 4 elements and double when full; a failed growth ends
// the process with a message on standard error.
#ifndef TORVIX_INPUT_GROWABLE_H
#define TORVIX_INPUT_GROWABLE_H

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <type_traits>

// Writes "Program aborded due to failed realloc!" to standard error and ends
// the process with status 1. Never returns.
[[noreturn]] void abort_on_failed_realloc();

// Doubling that saturates instead of wrapping; a buffer that is already at the
// 32-bit limit cannot grow and counts as a failed growth.
inline unsigned doubled(unsigned n)
{
  if (n == 0xFFFFFFFFu)
    abort_on_failed_realloc();
  return n > 0x7FFFFFFFu ? 0xFFFFFFFFu : 2 * n;
}

// realloc that never returns null for a non-zero size.
inline void *checked_realloc(void *p, size_t bytes)
{
  void *q = std::realloc(p, bytes ? bytes : 1);
  if (!q)
    abort_on_failed_realloc();
  return q;
}

class faststring
{
public:
  char *data = nullptr;
  unsigned length = 0;
  unsigned capacity = 0;

  faststring() = default;
  explicit faststring(const char *s) { assign(s); }
  faststring(const char *b, const char *e) { assign(b, e); }
  faststring(const faststring &o) { assign(o.data, o.data + o.length); }
  faststring &operator=(const faststring &o)
  {
    if (this != &o)
      assign(o.data, o.data + o.length);
    return *this;
  }
  ~faststring() { std::free(data); }

  unsigned size() const { return length; }
  bool empty() const { return length == 0; }
  const char *begin() const { return data; }
  const char *end() const { return data + length; }
  char *begin() { return data; }
  char *end() { return data + length; }
  char &operator[](unsigned i) { return data[i]; }
  char operator[](unsigned i) const { return data[i]; }

  void clear() { length = 0; }

  void push_back(char c)
  {
    if (length == capacity)
      grow();
    data[length++] = c;
  }

  // Makes room for n bytes plus a terminator.
  void reserve(unsigned n)
  {
    if (n + 1u > capacity)
      set_capacity(n + 1u);
  }

  void assign(const char *s) { assign(s, s + std::strlen(s)); }

  void assign(const char *b, const char *e)
  {
    unsigned n = static_cast<unsigned>(e - b);
    if (n + 1u > capacity)
      set_capacity(n + 1u);
    if (n)
      std::memmove(data, b, n);
    length = n;
  }

  void append(const char *b, const char *e)
  {
    unsigned n = static_cast<unsigned>(e - b);
    if (length + n + 1u > capacity)
      set_capacity(length + n + 1u > doubled(capacity) ? length + n + 1u : doubled(capacity));
    if (n)
      std::memcpy(data + length, b, n);
    length += n;
  }

  // Terminates the text (the terminator is not counted in length).
  const char *c_str()
  {
    if (length == capacity)
      set_capacity(capacity + 1u);
    data[length] = '\0';
    return data;
  }

private:
  void grow() { set_capacity(capacity ? doubled(capacity) : 4); }
  void set_capacity(unsigned n)
  {
    data = static_cast<char *>(checked_realloc(data, n));
    capacity = n;
  }
};

// Growable array of trivially copyable values.
template <class T> class fastvector
{
  static_assert(std::is_trivially_copyable<T>::value, "fastvector holds plain values only");

public:
  T *data = nullptr;
  unsigned length = 0;
  unsigned capacity = 0;

  fastvector() = default;
  fastvector(const fastvector &) = delete;
  fastvector &operator=(const fastvector &) = delete;
  ~fastvector() { std::free(data); }

  unsigned size() const { return length; }
  bool empty() const { return length == 0; }
  T *begin() { return data; }
  T *end() { return data + length; }
  const T *begin() const { return data; }
  const T *end() const { return data + length; }
  T &operator[](unsigned i) { return data[i]; }
  const T &operator[](unsigned i) const { return data[i]; }

  void clear() { length = 0; }

  void push_back(const T &v)
  {
    if (length == capacity)
      set_capacity(capacity ? doubled(capacity) : 4);
    data[length++] = v;
  }

  // Replaces the contents by n values copied from src, growing the storage to
  // exactly n elements when it is smaller.
  void assign(const T *src, unsigned n)
  {
    if (n > capacity)
      set_capacity(n);
    if (n)
      std::memcpy(static_cast<void *>(data), src, n * sizeof(T));
    length = n;
  }

  void set_capacity(unsigned n)
  {
    data = static_cast<T *>(checked_realloc(data, size_t(n) * sizeof(T)));
    capacity = n;
  }

  // Empties the vector and gives its storage back.
  void release()
  {
    std::free(data);
    data = nullptr;
    length = capacity = 0;
  }
};

// Growable array of plain values that takes one pointer where fastvector
// takes two words: the length and the capacity sit at the head of the heap
// block, and an empty vector that never held anything has no block. Meant
// for vectors that are empty in most of the records a search keeps by the
// million; every access goes through the block, so not for hot loops.
template <class T> class slimvector
{
  static_assert(std::is_trivially_copyable<T>::value, "slimvector holds plain values only");
  static_assert(alignof(T) <= alignof(std::max_align_t), "malloc must align the elements");

  // Aligned like T so that the elements can follow it directly.
  struct alignas(alignof(T) > alignof(unsigned) ? alignof(T) : alignof(unsigned)) head {
    unsigned length;
    unsigned capacity;
  };
  head *block = nullptr;

  T *items() const { return reinterpret_cast<T *>(block + 1); }

public:
  slimvector() = default;
  slimvector(const slimvector &) = delete;
  slimvector &operator=(const slimvector &) = delete;
  ~slimvector() { std::free(block); }

  unsigned size() const { return block ? block->length : 0; }
  unsigned capacity() const { return block ? block->capacity : 0; }
  bool empty() const { return size() == 0; }
  T *begin() { return block ? items() : nullptr; }
  T *end() { return begin() + size(); }
  const T *begin() const { return block ? items() : nullptr; }
  const T *end() const { return begin() + size(); }
  T &operator[](unsigned i) { return items()[i]; }
  const T &operator[](unsigned i) const { return items()[i]; }

  void clear()
  {
    if (block)
      block->length = 0;
  }

  void push_back(const T &v)
  {
    // v may be one of the elements, which a growth moves.
    const T copy = v;
    const unsigned n = size();
    if (n == capacity())
      set_capacity(n ? doubled(n) : 4);
    items()[block->length++] = copy;
  }

  void pop_back() { --block->length; }

  // Replaces the contents by n values copied from src, growing the storage to
  // exactly n elements when it is smaller; no block is made for nothing.
  void assign(const T *src, unsigned n)
  {
    if (n > capacity())
      set_capacity(n);
    if (n)
      std::memcpy(static_cast<void *>(items()), src, n * sizeof(T));
    if (block)
      block->length = n;
  }

  // Empties the vector and gives its storage back.
  void release()
  {
    std::free(block);
    block = nullptr;
  }

private:
  void set_capacity(unsigned n)
  {
    const unsigned length = size();
    block = static_cast<head *>(checked_realloc(block, sizeof(head) + size_t(n) * sizeof(T)));
    block->length = length;
    block->capacity = n;
  }
};

#endif
