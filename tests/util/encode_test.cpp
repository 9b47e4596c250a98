// Tests of the encodings: MD5 and base64 against known vectors, URL escaping bounds, replacement.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>

#include "util/encode.h"
#include "util/error.h"

TEST(Md5, KnownDigests) {
  EXPECT_EQ(md5_hex(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(md5_hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(md5_hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
  std::string with_nul("a\0b", 3);
  EXPECT_NE(md5_hex(with_nul), md5_hex("a"));
  EXPECT_EQ(md5_hex(with_nul), md5_hex(with_nul.data(), 3));
}

TEST(Base64, EncodesRfcVectors) {
  const char* plain[] = {"", "f", "fo", "foo", "foob", "fooba", "foobar"};
  const char* coded[] = {"", "Zg==", "Zm8=", "Zm9v", "Zm9vYg==", "Zm9vYmE=", "Zm9vYmFy"};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(base64_encode(plain[i]), coded[i]);
    EXPECT_EQ(base64_decode(coded[i]), plain[i]);
  }
}

TEST(Base64, RoundTripsEveryByteAndToleratesLayout) {
  std::string bytes;
  for (int i = 0; i < 1000; ++i) bytes += static_cast<char>(i * 7);
  std::string text = base64_encode(bytes);
  EXPECT_EQ(text.find_first_not_of(
                "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="),
            std::string::npos);
  EXPECT_EQ(base64_decode(text), bytes);
  EXPECT_EQ(base64_decode("Zm9v\r\nYmE"), "fooba");  // line breaks, no filling
  EXPECT_EQ(base64_decode("Zm8=Zm9v"), "fo");  // nothing after the filling
}

TEST(Base64, RejectsForeignBytes) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(base64_decode("Zm9v*YmE="), "");
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("ValueError: base64_decode"), std::string::npos);
}

TEST(UrlEscape, LettersAndDigitsOnlyStayPlain) {
  EXPECT_EQ(url_escape("a-1_B."), "a%2d1%5fB%2e");
  EXPECT_EQ(url_escape("\xc3\xa9"), "%c3%a9");
  EXPECT_EQ(url_escape(""), "");
  EXPECT_EQ(url_escape("a b&c~"), "a%20b%26c%7e");
  EXPECT_EQ(url_escape(std::string("\0\t:", 3)), "%00%09%3a");
  EXPECT_EQ(url_escape("xyz", 2), "xy");
  // Every byte: a letter or digit as it is, any other as %xx in lower case.
  for (int c = 0; c < 256; c++) {
    char hex[4];
    snprintf(hex, sizeof hex, "%%%02x", c);
    std::string want = isalnum(c) ? std::string(1, static_cast<char>(c)) : hex;
    EXPECT_EQ(url_escape(std::string(1, static_cast<char>(c))), want) << c;
  }
}

TEST(StrReplaceAll, ReplacesEveryOccurrence) {
  EXPECT_EQ(str_replace_all("a b  c ", " ", ""), "abc");
  EXPECT_EQ(str_replace_all("aaaa", "aa", "b"), "bb");
  EXPECT_EQ(str_replace_all("abc", "x", "y"), "abc");
  EXPECT_EQ(str_replace_all("abc", "", "y"), "abc");
  EXPECT_EQ(str_replace_all("a.b", ".", "..."), "a...b");
  EXPECT_EQ(str_replace_all("", "a", "b"), "");
}
