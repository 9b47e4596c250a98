// The shared value kinds behind a var handle. Only the utility library's own
// sources include this; everyone else goes through var's operations.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "util/var.h"
#include "util/var_pool.h"

struct _var_string : var_object, var_pooled {
  std::string s;
  _var_string() : var_object(VAR_STRING) {}
  explicit _var_string(std::string v) : var_object(VAR_STRING), s(std::move(v)) {}
  _var_string(const char* p, size_t n) : var_object(VAR_STRING), s(p, n) {}
};

struct _var_list : var_object, var_pooled {
  std::vector<var, var_pool_allocator<var>> items;
  _var_list() : var_object(VAR_LIST) {}
};

// Members in one array, sorted by key in ascending byte order (std::string
// compares its bytes as unsigned char), as dumps and iteration need: no tree
// node per member, and small dicts stay in one or two cache lines.
struct _var_dict : var_object, var_pooled {
  using member = std::pair<std::string, var>;
  std::vector<member, var_pool_allocator<member>> members;
  _var_dict() : var_object(VAR_DICT) {}

  // The first member whose key is not below the key.
  std::vector<member, var_pool_allocator<member>>::iterator lower(const char* key, size_t len);
  member* find(const char* key, size_t len);
  // The member's value, made (as none) when absent.
  var& slot(const std::string& key);
};

// Direct access for the library's own hot paths (JSON reader and writer).
// Each answers null when the value is of another kind.
inline _var_string* var_as_string(const var& v) {
  return v.kind() == VAR_STRING ? static_cast<_var_string*>(v.object()) : nullptr;
}
inline _var_list* var_as_list(const var& v) {
  return v.kind() == VAR_LIST ? static_cast<_var_list*>(v.object()) : nullptr;
}
inline _var_dict* var_as_dict(const var& v) {
  return v.kind() == VAR_DICT ? static_cast<_var_dict*>(v.object()) : nullptr;
}

// Formats a number as var_str does: "%ld" when it equals its whole part and
// fits a long, else "%f" with trailing zeros cut, keeping one digit after the
// point. Appends to out.
void var_format_number(double n, std::string& out);
