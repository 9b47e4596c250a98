// Tests of var: shared handles, binary strings, access errors, iteration under change, text forms.
#include <gtest/gtest.h>

#include <cmath>

#include "util/error.h"
#include "util/var.h"

TEST(VarHandles, CopiesShareOneValue) {
  var a = var::new_list();
  var b = a;
  b.append(var(1));
  EXPECT_EQ(a.len(), 1u);
  var d = var::new_dict();
  var e = d;
  e.set("k", var("v"));
  EXPECT_TRUE(d["k"] == "v");
  // Assignment replaces the handle, not the shared value.
  b = var(5);
  EXPECT_EQ(a.len(), 1u);
  EXPECT_EQ(a.object()->refs, 1);
}

TEST(VarHandles, KindsAndEmptyHandleIsNone) {
  var none;
  EXPECT_TRUE(none.is_none());
  EXPECT_EQ(none.kind(), VAR_NONE);
  EXPECT_EQ(var(static_cast<const char*>(nullptr)).kind(), VAR_NONE);
  EXPECT_EQ(var(3).kind(), VAR_NUMBER);
  EXPECT_EQ(var(2.5).kind(), VAR_NUMBER);
  EXPECT_EQ(var(sizeof(int)).num(), 4);
  EXPECT_EQ(var("x").kind(), VAR_STRING);
  EXPECT_EQ(var::new_list().kind(), VAR_LIST);
  EXPECT_EQ(var::new_dict().kind(), VAR_DICT);
  EXPECT_STREQ(var::new_dict().type_name(), "dict");
}

TEST(VarStrings, HoldNulBytes) {
  const char raw[] = {'a', 0, 'b', 0};
  var s(raw, sizeof raw);
  EXPECT_EQ(s.len(), 4u);
  EXPECT_EQ(s.str(), std::string(raw, 4));
  var copy = var_list(s)[0];
  EXPECT_EQ(copy.str().size(), 4u);
}

TEST(VarAccess, ListIndexAndErrors) {
  var l = var_list(10, "b", 2.5);
  EXPECT_EQ(l[0].num(), 10);
  EXPECT_TRUE(l[1] == "b");
  EXPECT_EQ(l[-1].num(), 2.5);
  EXPECT_EQ(l[static_cast<size_t>(2)].num(), 2.5);
  tk_clear_error();
  testing::internal::CaptureStderr();
  EXPECT_TRUE(l[3].is_none());
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(tk_last_error(), "IndexError: list index out of range");
  EXPECT_NE(err.find("var.cpp:"), std::string::npos);
  EXPECT_NE(err.find(": IndexError: list index out of range\n"), std::string::npos);
  // Writing and reading agree on every index, negative ones counting from
  // the end; both refuse the same ones.
  for (long i = -4; i <= 3; ++i) {
    const bool in = i >= -3 && i < 3;
    testing::internal::CaptureStderr();
    l.set(i, var(100 + i));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(l[(i + 3) % 3].num() == 100 + i, in) << i;
    EXPECT_EQ(l.len(), 3u);
  }
}

TEST(VarAccess, DictMembersAndMissingOnes) {
  var d = var_dict("a", 1, "b", "two", "c", var::new_list());
  EXPECT_EQ(d.len(), 3u);
  EXPECT_EQ(d["a"].num(), 1);
  EXPECT_TRUE(d["b"] == "two");
  EXPECT_TRUE(d.has("c"));
  EXPECT_TRUE(d["zz"].is_none());
  // Through a missing member, reading stays quiet and gives none.
  tk_clear_error();
  EXPECT_TRUE(d["zz"]["deeper"][0].is_none());
  EXPECT_EQ(tk_last_error(), "");
  d.erase("a");
  EXPECT_FALSE(d.has("a"));
  d.set("b", var(7));
  EXPECT_EQ(d["b"].num(), 7);
}

TEST(VarAccess, WrongKindLogsTypeErrorAndChangesNothing) {
  testing::internal::CaptureStderr();
  var n(4);
  n.append(var(1));
  EXPECT_EQ(tk_last_error(), "TypeError: 'number' object does not support 'append'");
  var s("text");
  s.set("k", var(1));
  EXPECT_EQ(tk_last_error(), "TypeError: 'string' object does not support 'member assignment'");
  EXPECT_TRUE(var::new_list()["k"].is_none());
  EXPECT_EQ(tk_last_error(), "TypeError: 'list' object does not support 'member'");
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(n.num(), 4);
  EXPECT_EQ(s.str(), "text");
}

TEST(VarIteration, ListsInOrderDictsInByteOrder) {
  var l = var_list("x", "y", "z");
  var k, v;
  std::string seen;
  var_iter it = l.iter();
  while (it.next(k, v)) seen += var_str(k) + v.str();
  EXPECT_EQ(seen, "0x1y2z");

  var d = var::new_dict();
  d.set("b", var(2));
  d.set("\xc3\xa9", var(3));  // bytes above 0x7f sort after ASCII
  d.set("B", var(1));
  d.set("a", var(0));
  d.set("b", var(2));  // setting a member again replaces it
  seen.clear();
  var_iter di = d.iter();
  while (di.next(k, v)) seen += k.str() + var_str(v) + ",";
  EXPECT_EQ(seen, "B1,a0,b2,\xc3\xa9" "3,");
  EXPECT_EQ(d.keys(), (std::vector<std::string>{"B", "a", "b", "\xc3\xa9"}));

  // A string yields each of its bytes once, and no more.
  seen.clear();
  var_iter si = var("ab").iter();
  while (si.next(k, v)) seen += var_str(k) + v.str() + ",";
  EXPECT_EQ(seen, "0a,1b,");
  var_iter ni = var(3).iter();
  EXPECT_FALSE(ni.next(v));
}

TEST(VarIteration, SurvivesChangesToTheContainer) {
  var d = var_dict("a", 1, "b", 2, "c", 3);
  var k, v;
  std::string seen;
  var_iter it = d.iter();
  while (it.next(k, v)) {
    seen += k.str();
    d.erase(k.str());  // drop the member just read
    if (k.str() == "a") d.set("bb", var(0));
  }
  EXPECT_EQ(seen, "abbbc");
  var l = var_list(1);
  var_iter li = l.iter();
  int n = 0;
  while (li.next(v) && n < 10) {
    if (++n < 3) l.append(var(n));
  }
  EXPECT_EQ(n, 3);
}

TEST(VarText, StrNumAndLooseEquality) {
  EXPECT_EQ(var_str(var()), "");
  EXPECT_EQ(var_str(var(42)), "42");
  EXPECT_EQ(var_str(var(-3.0)), "-3");
  EXPECT_EQ(var_str(var(2.5)), "2.5");
  EXPECT_EQ(var_str(var(0.1)), "0.1");
  EXPECT_EQ(var_str(var(1.0 / 3)), "0.333333");
  EXPECT_EQ(var_str(var_list(1, "a")), "[1,\"a\"]");
  EXPECT_EQ(var("3.5xyz").num(), 3.5);
  EXPECT_EQ(var("abc").num(), 0);
  EXPECT_EQ(var().num(), 0);
  EXPECT_EQ(var("12").lnum(), 12);
  EXPECT_TRUE(var(3) == "3");
  EXPECT_TRUE(var("OK") == "OK");
  EXPECT_TRUE(var("OK") != "ok");
  EXPECT_TRUE(var() == "");
  EXPECT_TRUE(var() == nullptr);
  EXPECT_FALSE(var("") == nullptr);
}

TEST(VarText, JoinUsesTextForms) {
  var l = var_list("q3w", "a:x", 12, 3, var());
  EXPECT_EQ(var_join(l, "|"), "q3w|a:x|12|3|");
  EXPECT_EQ(var_join(var::new_list(), ","), "");
  // Joining none is quiet; joining anything else but a list is a TypeError.
  for (const var& other : {var(), var(5), var("s")}) {
    tk_clear_error();
    testing::internal::CaptureStderr();
    EXPECT_EQ(var_join(other, ","), "");
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(tk_last_error().rfind("TypeError", 0) == 0, !other.is_none());
  }
}
