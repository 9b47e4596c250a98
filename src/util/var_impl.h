// The value kinds behind a var handle. Only the utility library's own
// sources include this; everyone else goes through var's operations.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "util/var.h"

struct _var_none : var_object {
  const char* type_name() const override { return "none"; }
  var_kind kind() const override { return VAR_NONE; }
};

struct _var_number : var_object {
  double n;
  explicit _var_number(double v) : n(v) {}
  const char* type_name() const override { return "number"; }
  var_kind kind() const override { return VAR_NUMBER; }
};

struct _var_string : var_object {
  std::string s;
  _var_string() = default;
  explicit _var_string(std::string v) : s(std::move(v)) {}
  const char* type_name() const override { return "string"; }
  var_kind kind() const override { return VAR_STRING; }
};

struct _var_list : var_object {
  std::vector<var> items;
  const char* type_name() const override { return "list"; }
  var_kind kind() const override { return VAR_LIST; }
};

// std::string compares its bytes as unsigned char, so the map keeps the keys
// in ascending byte order, as dumps and iteration need.
struct _var_dict : var_object {
  std::map<std::string, var> members;
  const char* type_name() const override { return "dict"; }
  var_kind kind() const override { return VAR_DICT; }
};

// Direct access for the library's own hot paths (JSON reader and writer).
// Each answers null when the value is of another kind.
_var_number* var_as_number(const var& v);
_var_string* var_as_string(const var& v);
_var_list* var_as_list(const var& v);
_var_dict* var_as_dict(const var& v);

// Formats a number as var_str does: "%ld" when it equals its whole part and
// fits a long, else "%f" with trailing zeros cut, keeping one digit after the
// point. Appends to out.
void var_format_number(double n, std::string& out);
