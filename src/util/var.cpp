// Strings, lists and dicts behind var: access, mutation, safe iteration and their text forms.
#include "util/var.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "util/error.h"
#include "util/json.h"
#include "util/var_impl.h"

// ---------------------------------------------------------------- handles

var::var(const char* s) : var() {
  if (s) *this = var_adopt(new _var_string(s, std::strlen(s)));
}
var::var(const char* s, size_t len)
    : var(var_adopt(s ? new _var_string(s, len) : new _var_string())) {}
var::var(const std::string& s) : var(var_adopt(new _var_string(s))) {}
var::var(std::string&& s) : var(var_adopt(new _var_string(std::move(s)))) {}

void var_release(var_object* o) {
  switch (o->kind) {
    case VAR_STRING: delete static_cast<_var_string*>(o); break;
    case VAR_LIST: delete static_cast<_var_list*>(o); break;
    case VAR_DICT: delete static_cast<_var_dict*>(o); break;
    default: break;
  }
}

var var::new_list() { return var_adopt(new _var_list()); }
var var::new_dict() { return var_adopt(new _var_dict()); }

const char* var::type_name() const {
  static const char* const names[] = {"none", "number", "string", "list", "dict"};
  return names[kind_];
}

namespace {
// Byte order of a stored key against a probe key.
inline int key_compare(const std::string& k, const char* key, size_t len) {
  const size_t n = k.size() < len ? k.size() : len;
  int c = n ? std::memcmp(k.data(), key, n) : 0;
  if (c) return c;
  return k.size() < len ? -1 : (k.size() > len ? 1 : 0);
}
}  // namespace

std::vector<_var_dict::member, var_pool_allocator<_var_dict::member>>::iterator _var_dict::lower(const char* key, size_t len) {
  // Keys often arrive in order: look at the end first.
  if (members.empty() || key_compare(members.back().first, key, len) < 0) return members.end();
  size_t lo = 0, hi = members.size();
  while (lo < hi) {
    size_t mid = (lo + hi) / 2;
    if (key_compare(members[mid].first, key, len) < 0) lo = mid + 1;
    else hi = mid;
  }
  return members.begin() + static_cast<long>(lo);
}

_var_dict::member* _var_dict::find(const char* key, size_t len) {
  auto it = lower(key, len);
  return it != members.end() && key_compare(it->first, key, len) == 0 ? &*it : nullptr;
}

var& _var_dict::slot(const std::string& key) {
  auto it = lower(key.data(), key.size());
  if (it != members.end() && it->first == key) return it->second;
  return members.emplace(it, key, var())->second;
}

// ---------------------------------------------------------------- access

var var::operator[](long index) const {
  if (_var_list* l = var_as_list(*this)) {
    long n = static_cast<long>(l->items.size());
    if (index < 0) index += n;
    if (index < 0 || index >= n) {
      tk_error("IndexError: list index out of range");
      return var();
    }
    return l->items[index];
  }
  // Reading through none gives none, so chains such as reply["a"][0] on a
  // missing member stay quiet.
  if (!is_none()) tk_error("TypeError: '%s' object does not support '%s'", type_name(), "index");
  return var();
}

var var::operator[](const char* key) const {
  if (_var_dict* d = var_as_dict(*this)) {
    if (!key) return var();
    _var_dict::member* m = d->find(key, std::strlen(key));
    return m ? m->second : var();
  }
  if (!is_none()) tk_error("TypeError: '%s' object does not support '%s'", type_name(), "member");
  return var();
}

bool var::has(const std::string& key) const {
  _var_dict* d = var_as_dict(*this);
  return d && d->find(key.data(), key.size()) != nullptr;
}

void var::append(const var& item) {
  if (_var_list* l = var_as_list(*this)) {
    l->items.push_back(item);
    return;
  }
  tk_error("TypeError: '%s' object does not support '%s'", type_name(), "append");
}

void var::set(long index, const var& item) {
  if (_var_list* l = var_as_list(*this)) {
    long n = static_cast<long>(l->items.size());
    if (index < 0) index += n;
    if (index < 0 || index >= n) {
      tk_error("IndexError: list assignment index out of range");
      return;
    }
    l->items[index] = item;
    return;
  }
  tk_error("TypeError: '%s' object does not support '%s'", type_name(), "item assignment");
}

void var::set(const std::string& key, const var& value) {
  if (_var_dict* d = var_as_dict(*this)) {
    d->slot(key) = value;
    return;
  }
  tk_error("TypeError: '%s' object does not support '%s'", type_name(), "member assignment");
}

void var::erase(const std::string& key) {
  if (_var_dict* d = var_as_dict(*this)) {
    if (_var_dict::member* m = d->find(key.data(), key.size()))
      d->members.erase(d->members.begin() + (m - d->members.data()));
    return;
  }
  tk_error("TypeError: '%s' object does not support '%s'", type_name(), "erase");
}

size_t var::len() const {
  switch (kind()) {
    case VAR_STRING: return var_as_string(*this)->s.size();
    case VAR_LIST: return var_as_list(*this)->items.size();
    case VAR_DICT: return var_as_dict(*this)->members.size();
    default: return 0;
  }
}

const std::string& var::str() const {
  static const std::string empty;
  _var_string* s = var_as_string(*this);
  return s ? s->s : empty;
}

double var::num_of_other() const {
  if (_var_string* s = var_as_string(*this)) return std::atof(s->s.c_str());
  return 0;
}

std::vector<std::string> var::keys() const {
  std::vector<std::string> out;
  if (_var_dict* d = var_as_dict(*this)) {
    out.reserve(d->members.size());
    for (const auto& m : d->members) out.push_back(m.first);
  }
  return out;
}

// ---------------------------------------------------------------- iteration

struct _var_string_iter : var_iter_object {
  var owner;
  size_t pos = 0;
  explicit _var_string_iter(const var& v) : owner(v) {}
  bool next(var& key, var& value) override {
    const std::string& s = owner.str();
    if (pos >= s.size()) return false;
    key = var(static_cast<long>(pos));
    value = var(s.data() + pos, 1);
    ++pos;
    return true;
  }
};

// Lists are walked by index and dicts by the last key seen, so a loop that
// changes its container never reads through a stale position.
struct _var_list_iter : var_iter_object {
  var owner;
  size_t pos = 0;
  explicit _var_list_iter(const var& v) : owner(v) {}
  bool next(var& key, var& value) override {
    _var_list* l = var_as_list(owner);
    if (!l || pos >= l->items.size()) return false;
    key = var(static_cast<long>(pos));
    value = l->items[pos];
    ++pos;
    return true;
  }
};

struct _var_dict_iter : var_iter_object {
  var owner;
  std::string last;
  bool started = false;
  explicit _var_dict_iter(const var& v) : owner(v) {}
  bool next(var& key, var& value) override {
    _var_dict* d = var_as_dict(owner);
    if (!d) return false;
    auto it = d->members.begin();
    if (started) {
      it = d->lower(last.data(), last.size());
      if (it != d->members.end() && it->first == last) ++it;
    }
    if (it == d->members.end()) return false;
    started = true;
    last = it->first;
    key = var(it->first);
    value = it->second;
    return true;
  }
};

var_iter var::iter() const {
  switch (kind()) {
    case VAR_STRING: return var_iter(new _var_string_iter(*this));
    case VAR_LIST: return var_iter(new _var_list_iter(*this));
    case VAR_DICT: return var_iter(new _var_dict_iter(*this));
    default: return var_iter();
  }
}

bool var_iter::next(var& key, var& value) { return it_ && it_->next(key, value); }

bool var_iter::next(var& value) {
  var key;
  return next(key, value);
}

// ---------------------------------------------------------------- text forms

namespace {
// Decimal digits of v, right-aligned to end; the first digit's position.
inline char* format_digits(uint64_t v, char* end) {
  do {
    *--end = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v);
  return end;
}
}  // namespace

void var_format_number(double n, std::string& out) {
  char buf[400];
  // The range of long, exactly representable as doubles at both ends.
  if (n == std::floor(n) && n >= -9223372036854775808.0 && n < 9223372036854775808.0) {
    const long l = static_cast<long>(n);
    const uint64_t mag = l < 0 ? 0 - static_cast<uint64_t>(l) : static_cast<uint64_t>(l);
    char* p = format_digits(mag, buf + 32);
    if (l < 0) *--p = '-';
    out.append(p, static_cast<size_t>(buf + 32 - p));
    return;
  }
  // "%f" rounds the exact binary value to six places. Below a million the
  // scaled value is within 2^-13 of that exact one, so unless it sits near
  // a halfway point its nearest integer is the same digits printf makes.
  const double a = std::fabs(n);
  if (a < 1e6) {
    const double scaled = a * 1e6;
    const double whole = std::floor(scaled), frac = scaled - whole;
    if (std::fabs(frac - 0.5) > 1e-3) {
      const uint64_t r = static_cast<uint64_t>(whole) + (frac > 0.5 ? 1 : 0);
      char* end = buf + 64;
      char* p = format_digits(r % 1000000 + 1000000, end);  // a leading 1 keeps the zeros
      *p = '.';
      p = format_digits(r / 1000000, p);
      if (std::signbit(n)) *--p = '-';
      // Cut trailing zeros, keeping one digit after the point.
      while (end[-1] == '0' && end[-2] != '.') --end;
      out.append(p, static_cast<size_t>(end - p));
      return;
    }
  }
  int len = std::snprintf(buf, sizeof buf, "%f", n);
  if (len < 0 || len >= static_cast<int>(sizeof buf)) {
    out += "0.0";  // unreachable for finite doubles: %f of 1.8e308 fits
    return;
  }
  const char* dot = std::strchr(buf, '.');
  if (dot) {
    // Cut trailing zeros, keeping one digit after the point.
    while (len > (dot - buf) + 2 && buf[len - 1] == '0') --len;
  }
  out.append(buf, len);
}

std::string var_str(const var& v) {
  switch (v.kind()) {
    case VAR_NONE: return std::string();
    case VAR_NUMBER: {
      std::string out;
      var_format_number(v.num(), out);
      return out;
    }
    case VAR_STRING: return v.str();
    default: return json_dump(v);
  }
}

bool operator==(const var& v, const char* s) {
  if (!s) return v.is_none();
  if (v.is_string()) return v.str() == s;
  return var_str(v) == s;
}

std::string var_join(const var& list, const std::string& sep) {
  std::string out;
  _var_list* l = var_as_list(list);
  if (!l) {
    if (!list.is_none())
      tk_error("TypeError: '%s' object does not support '%s'", list.type_name(), "join");
    return out;
  }
  for (size_t i = 0; i < l->items.size(); ++i) {
    if (i) out += sep;
    out += var_str(l->items[i]);
  }
  return out;
}
