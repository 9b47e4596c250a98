// The dynamic value: a handle to a none, a number, or a reference-counted
// string, list or dict. Numbers live inside the handle; copying a handle of
// a string, list or dict shares the value (mutating a shared list or dict is
// seen through every handle); an empty handle acts as none.
// Strings are binary safe: they may hold NUL bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class var;

enum var_kind : unsigned char { VAR_NONE, VAR_NUMBER, VAR_STRING, VAR_LIST, VAR_DICT };

// The shared value behind a handle of a string, list or dict. The reference
// count is not atomic: values belong to the thread that made them.
struct var_object {
  int refs = 0;
  var_kind kind;
  explicit var_object(var_kind k) : kind(k) {}
};
// Frees a string, list or dict whose last handle went.
void var_release(var_object* o);
// The first handle of a freshly made string, list or dict (the utility
// library's own sources make them).
var var_adopt(var_object* fresh);

struct _var_string;
struct _var_list;
struct _var_dict;

// Iterators: strings yield one-byte strings, lists their items in order, dicts
// their (key, value) pairs in ascending byte order of the keys.
struct var_iter_object {
  virtual ~var_iter_object() = default;
  // Fills key (dicts only; the index as a number for lists and strings) and
  // value; answers false at the end.
  virtual bool next(var& key, var& value) = 0;
};
struct _var_string_iter;
struct _var_list_iter;
struct _var_dict_iter;

class var_iter {
 public:
  explicit var_iter(var_iter_object* it = nullptr) : it_(it) {}
  var_iter(var_iter&& o) noexcept : it_(o.it_) { o.it_ = nullptr; }
  var_iter(const var_iter&) = delete;
  var_iter& operator=(const var_iter&) = delete;
  ~var_iter() { delete it_; }
  bool next(var& key, var& value);
  // The item of a list or string, the member value of a dict.
  bool next(var& value);

 private:
  var_iter_object* it_;
};

class var {
 public:
  var() : kind_(VAR_NONE), obj_(nullptr) {}  // none
  var(int n) : var(static_cast<double>(n)) {}
  var(long n) : var(static_cast<double>(n)) {}
  var(long long n) : var(static_cast<double>(n)) {}
  var(unsigned n) : var(static_cast<double>(n)) {}
  var(unsigned long n) : var(static_cast<double>(n)) {}
  var(unsigned long long n) : var(static_cast<double>(n)) {}
  var(double n) : kind_(VAR_NUMBER), num_(n) {}
  var(const char* s);  // none when s is null
  var(const char* s, size_t len);
  var(const std::string& s);
  var(std::string&& s);
  var(const var& o) : kind_(o.kind_), bits_(o.bits_) {
    if (kind_ >= VAR_STRING) ++obj_->refs;
  }
  var(var&& o) noexcept : kind_(o.kind_), bits_(o.bits_) { o.kind_ = VAR_NONE; }
  var& operator=(const var& o) {
    var copy(o);
    swap(copy);
    return *this;
  }
  var& operator=(var&& o) noexcept {
    var old(static_cast<var&&>(o));
    swap(old);
    return *this;
  }
  ~var() {
    if (kind_ >= VAR_STRING && --obj_->refs == 0) var_release(obj_);
  }
  void swap(var& o) noexcept {
    var_kind k = kind_;
    uint64_t b = bits_;
    kind_ = o.kind_;
    bits_ = o.bits_;
    o.kind_ = k;
    o.bits_ = b;
  }

  static var new_list();
  static var new_dict();

  var_kind kind() const { return kind_; }
  bool is_none() const { return kind() == VAR_NONE; }
  bool is_number() const { return kind() == VAR_NUMBER; }
  bool is_string() const { return kind() == VAR_STRING; }
  bool is_list() const { return kind() == VAR_LIST; }
  bool is_dict() const { return kind() == VAR_DICT; }
  const char* type_name() const;

  // Lists: the item (none, with an IndexError line, when out of range; a
  // negative index counts from the end); dicts: the member, none when absent.
  var operator[](long index) const;
  var operator[](int index) const { return (*this)[static_cast<long>(index)]; }
  var operator[](size_t index) const { return (*this)[static_cast<long>(index)]; }
  var operator[](const char* key) const;
  var operator[](const std::string& key) const { return (*this)[key.c_str()]; }
  bool has(const std::string& key) const;

  // Mutation. On the wrong kind each logs a TypeError line and does nothing.
  void append(const var& item);                       // list
  void set(long index, const var& item);              // list
  void set(const std::string& key, const var& value); // dict member assignment
  void erase(const std::string& key);                 // dict

  // Items of a list, members of a dict, bytes of a string; 0 for the rest.
  size_t len() const;

  var_iter iter() const;

  // Raw access. str() is the bytes of a string (empty for other kinds);
  // num() is the number, a string converted like atof, 0 for the rest.
  const std::string& str() const;
  double num() const { return kind_ == VAR_NUMBER ? num_ : num_of_other(); }
  long lnum() const { return static_cast<long>(num()); }

  // Sorted keys of a dict (empty for other kinds).
  std::vector<std::string> keys() const;

  // The shared value of a string, list or dict; null for the rest.
  var_object* object() const { return kind_ >= VAR_STRING ? obj_ : nullptr; }

 private:
  friend var var_adopt(var_object* fresh);
  var(var_object* o, var_kind k) : kind_(k), obj_(o) { ++o->refs; }
  double num_of_other() const;
  var_kind kind_;
  union {
    double num_;
    var_object* obj_;
    uint64_t bits_;
  };
};

// Lists and dicts built from values: var_list(a, b, ...), var_dict(k1, v1,
// k2, v2, ...).
template <typename... T>
var var_list(const T&... items) {
  var l = var::new_list();
  (l.append(var(items)), ...);
  return l;
}
namespace var_detail {
inline void dict_fill(var&) {}
template <typename K, typename V, typename... R>
void dict_fill(var& d, const K& k, const V& v, const R&... rest) {
  d.set(var(k).str(), var(v));
  dict_fill(d, rest...);
}
}  // namespace var_detail
template <typename... T>
var var_dict(const T&... pairs) {
  static_assert(sizeof...(T) % 2 == 0, "var_dict takes key, value pairs");
  var d = var::new_dict();
  var_detail::dict_fill(d, pairs...);
  return d;
}

inline var var_adopt(var_object* fresh) { return var(fresh, fresh->kind); }

// The text form: empty for none, "%ld" for whole numbers, else "%f" with its
// trailing zeros cut; the bytes of a string; JSON for lists and dicts.
std::string var_str(const var& v);
// Loose comparison with a string: the text form equals the string.
bool operator==(const var& v, const char* s);
inline bool operator!=(const var& v, const char* s) { return !(v == s); }
// The text forms of the list's items joined with the separator.
std::string var_join(const var& list, const std::string& sep);
