#include "util/var.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "util/error.h"
#include "util/json.h"
#include "util/var_impl.h"

// ---------------------------------------------------------------- handles

var::var() : obj_(nullptr) {}
var::var(var_object* o) : obj_(o) {
  if (obj_) ++obj_->refs;
}
var::var(int n) : var(static_cast<double>(n)) {}
var::var(long n) : var(static_cast<double>(n)) {}
var::var(long long n) : var(static_cast<double>(n)) {}
var::var(unsigned n) : var(static_cast<double>(n)) {}
var::var(unsigned long n) : var(static_cast<double>(n)) {}
var::var(unsigned long long n) : var(static_cast<double>(n)) {}
var::var(double n) : var(new _var_number(n)) {}
var::var(const char* s) : var(s ? new _var_string(std::string(s)) : nullptr) {}
var::var(const char* s, size_t len)
    : var(new _var_string(s ? std::string(s, len) : std::string())) {}
var::var(const std::string& s) : var(new _var_string(s)) {}
var::var(const var& o) : obj_(o.obj_) {
  if (obj_) ++obj_->refs;
}
var::var(var&& o) noexcept : obj_(o.obj_) { o.obj_ = nullptr; }

var& var::operator=(const var& o) {
  var copy(o);
  std::swap(obj_, copy.obj_);
  return *this;
}

var& var::operator=(var&& o) noexcept {
  if (this != &o) {
    var old(std::move(*this));
    obj_ = o.obj_;
    o.obj_ = nullptr;
  }
  return *this;
}

var::~var() {
  if (obj_ && --obj_->refs == 0) delete obj_;
}

var var::new_list() { return var(new _var_list()); }
var var::new_dict() { return var(new _var_dict()); }

var_kind var::kind() const { return obj_ ? obj_->kind() : VAR_NONE; }

const char* var::type_name() const { return obj_ ? obj_->type_name() : "none"; }

_var_number* var_as_number(const var& v) {
  return v.kind() == VAR_NUMBER ? static_cast<_var_number*>(v.object()) : nullptr;
}
_var_string* var_as_string(const var& v) {
  return v.kind() == VAR_STRING ? static_cast<_var_string*>(v.object()) : nullptr;
}
_var_list* var_as_list(const var& v) {
  return v.kind() == VAR_LIST ? static_cast<_var_list*>(v.object()) : nullptr;
}
_var_dict* var_as_dict(const var& v) {
  return v.kind() == VAR_DICT ? static_cast<_var_dict*>(v.object()) : nullptr;
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
    auto it = d->members.find(key);
    return it == d->members.end() ? var() : it->second;
  }
  if (!is_none()) tk_error("TypeError: '%s' object does not support '%s'", type_name(), "member");
  return var();
}

bool var::has(const std::string& key) const {
  _var_dict* d = var_as_dict(*this);
  return d && d->members.count(key) != 0;
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
    d->members[key] = value;
    return;
  }
  tk_error("TypeError: '%s' object does not support '%s'", type_name(), "member assignment");
}

void var::erase(const std::string& key) {
  if (_var_dict* d = var_as_dict(*this)) {
    d->members.erase(key);
    return;
  }
  tk_error("TypeError: '%s' object does not support '%s'", type_name(), "erase");
}

size_t var::len() const {
  switch (kind()) {
    case VAR_STRING: return static_cast<_var_string*>(obj_)->s.size();
    case VAR_LIST: return static_cast<_var_list*>(obj_)->items.size();
    case VAR_DICT: return static_cast<_var_dict*>(obj_)->members.size();
    default: return 0;
  }
}

const std::string& var::str() const {
  static const std::string empty;
  _var_string* s = var_as_string(*this);
  return s ? s->s : empty;
}

double var::num() const {
  if (_var_number* n = var_as_number(*this)) return n->n;
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
    auto it = started ? d->members.upper_bound(last) : d->members.begin();
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

void var_format_number(double n, std::string& out) {
  char buf[400];
  // The range of long, exactly representable as doubles at both ends.
  if (n == std::floor(n) && n >= -9223372036854775808.0 && n < 9223372036854775808.0) {
    std::snprintf(buf, sizeof buf, "%ld", static_cast<long>(n));
    out += buf;
    return;
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

double var_num(const var& v) { return v.num(); }

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
