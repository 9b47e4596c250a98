// The dynamic value: a handle to a reference-counted none, number, string,
// list or dict. Copying a handle shares the value (mutating a shared list or
// dict is seen through every handle); an empty handle acts as none.
// Strings are binary safe: they may hold NUL bytes.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

class var;

enum var_kind { VAR_NONE, VAR_NUMBER, VAR_STRING, VAR_LIST, VAR_DICT };

// The polymorphic value behind a handle. The reference count is not atomic:
// values belong to the thread that made them.
struct var_object {
  int refs = 0;
  virtual ~var_object() = default;
  virtual const char* type_name() const = 0;
  virtual var_kind kind() const = 0;
};

struct _var_none;
struct _var_number;
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
  var();  // none
  var(int n);
  var(long n);
  var(long long n);
  var(unsigned n);
  var(unsigned long n);
  var(unsigned long long n);
  var(double n);
  var(const char* s);  // none when s is null
  var(const char* s, size_t len);
  var(const std::string& s);
  var(const var& o);
  var(var&& o) noexcept;
  var& operator=(const var& o);
  var& operator=(var&& o) noexcept;
  ~var();

  static var new_list();
  static var new_dict();

  var_kind kind() const;
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
  double num() const;
  long lnum() const { return static_cast<long>(num()); }

  // Sorted keys of a dict (empty for other kinds).
  std::vector<std::string> keys() const;

  var_object* object() const { return obj_; }

 private:
  explicit var(var_object* o);
  var_object* obj_;
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

// The text form: empty for none, "%ld" for whole numbers, else "%f" with its
// trailing zeros cut; the bytes of a string; JSON for lists and dicts.
std::string var_str(const var& v);
double var_num(const var& v);
// Loose comparison with a string: the text form equals the string.
bool operator==(const var& v, const char* s);
inline bool operator!=(const var& v, const char* s) { return !(v == s); }
// The text forms of the list's items joined with the separator.
std::string var_join(const var& list, const std::string& sep);
