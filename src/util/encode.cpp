// MD5 digests, base64, URL escaping and text replacement for requests and file names.
#include "util/encode.h"

#include <md5.h>

#include <cstdint>
#include <cstring>

#include "util/error.h"

namespace {
const char kHex[] = "0123456789abcdef";
const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

bool url_plain(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}
}  // namespace

std::string md5_hex(const void* bytes, size_t len) {
  MD5_CTX ctx;
  MD5Init(&ctx);
  MD5Update(&ctx, static_cast<const uint8_t*>(bytes), len);
  uint8_t digest[MD5_DIGEST_LENGTH];
  MD5Final(digest, &ctx);
  std::string out(MD5_DIGEST_LENGTH * 2, '0');
  for (int i = 0; i < MD5_DIGEST_LENGTH; ++i) {
    out[2 * i] = kHex[digest[i] >> 4];
    out[2 * i + 1] = kHex[digest[i] & 15];
  }
  return out;
}

std::string md5_hex(const std::string& bytes) { return md5_hex(bytes.data(), bytes.size()); }

std::string base64_encode(const std::string& bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
  size_t n = bytes.size(), i = 0;
  for (; i + 3 <= n; i += 3) {
    uint32_t w = (p[i] << 16) | (p[i + 1] << 8) | p[i + 2];
    out += kBase64[w >> 18];
    out += kBase64[(w >> 12) & 63];
    out += kBase64[(w >> 6) & 63];
    out += kBase64[w & 63];
  }
  if (n - i == 1) {
    uint32_t w = p[i] << 16;
    out += kBase64[w >> 18];
    out += kBase64[(w >> 12) & 63];
    out += "==";
  } else if (n - i == 2) {
    uint32_t w = (p[i] << 16) | (p[i + 1] << 8);
    out += kBase64[w >> 18];
    out += kBase64[(w >> 12) & 63];
    out += kBase64[(w >> 6) & 63];
    out += '=';
  }
  return out;
}

std::string base64_decode(const std::string& text) {
  static signed char table[256];
  static bool ready = [] {
    std::memset(table, -1, sizeof table);
    for (int i = 0; i < 64; ++i) table[static_cast<unsigned char>(kBase64[i])] = static_cast<signed char>(i);
    return true;
  }();
  (void)ready;
  std::string out;
  out.reserve(text.size() / 4 * 3);
  uint32_t acc = 0;
  int bits = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '=') break;
    if (c == ' ' || c == '\n' || c == '\r' || c == '\t') continue;
    int v = table[c];
    if (v < 0) {
      tk_error("ValueError: base64_decode: invalid byte 0x%02x at %zu", c, i);
      return std::string();
    }
    acc = (acc << 6) | static_cast<uint32_t>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((acc >> bits) & 0xff);
    }
  }
  return out;
}

std::string url_escape(const char* bytes, size_t len) {
  std::string out;
  if (!bytes) return out;
  out.reserve(len);
  for (size_t i = 0; i < len; ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (url_plain(c)) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string url_escape(const std::string& text) { return url_escape(text.data(), text.size()); }

std::string str_replace_all(const std::string& text, const std::string& pattern,
                            const std::string& replacement) {
  if (pattern.empty()) return text;
  std::string out;
  size_t pos = 0;
  for (size_t hit; (hit = text.find(pattern, pos)) != std::string::npos; pos = hit + pattern.size()) {
    out.append(text, pos, hit - pos);
    out += replacement;
  }
  out.append(text, pos, std::string::npos);
  return out;
}
