// The engine's own string: assigning narrow or wide text, appending, comparing, lower-casing.
#include "sound/containers.h"

namespace vz_internal {

void vzString::assign(const char* s) {
  size_t n = strlen(s) + 1;
  char* fresh = static_cast<char*>(alloc_->allocate(n));
  memcpy(fresh, s, n);
  if (data_) alloc_->deallocate(data_);
  data_ = fresh;
  allocated_ = used_ = n;
}

vzString& vzString::operator=(const char16_t* w) {
  size_t n = 0;
  if (w)
    while (w[n]) ++n;
  char* fresh = static_cast<char*>(alloc_->allocate(n + 1));
  for (size_t i = 0; i < n; ++i) fresh[i] = static_cast<char>(w[i] & 0xFF);
  fresh[n] = 0;
  if (data_) alloc_->deallocate(data_);
  data_ = fresh;
  allocated_ = used_ = n + 1;
  return *this;
}

vzString& vzString::operator+=(const char* s) {
  if (!s) return *this;
  size_t add = strlen(s);
  size_t need = used_ + add;
  if (need > allocated_) {
    char* fresh = static_cast<char*>(alloc_->allocate(need));
    memcpy(fresh, data_, used_ - 1);
    memcpy(fresh + used_ - 1, s, add + 1);  // s may be our own text
    alloc_->deallocate(data_);
    data_ = fresh;
    allocated_ = need;
  } else {
    memmove(data_ + used_ - 1, s, add + 1);
  }
  used_ = need;
  return *this;
}

int vzString::compare(const char* a, const char* b) {
  for (;; ++a, ++b) {
    signed char x = static_cast<signed char>(*a), y = static_cast<signed char>(*b);
    if (!x || !y) return x ? 1 : (y ? -1 : 0);
    if (x != y) return x < y ? -1 : 1;
  }
}

void vzString::makeLower() {
  for (char* p = data_; *p; ++p)
    if (*p >= 'A' && *p <= 'Z') *p = static_cast<char>(*p - 'A' + 'a');
}

}  // namespace vz_internal
