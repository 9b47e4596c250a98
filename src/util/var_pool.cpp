// Per-thread size-class free lists over lasting slabs, so var values are cheap to make and free.
#include "util/var_pool.h"

#include <cstdlib>
#include <mutex>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define VAR_POOL_OFF 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VAR_POOL_OFF 1
#endif
#endif

#ifndef VAR_POOL_OFF
namespace {

constexpr size_t kGrain = 16;
constexpr size_t kLargest = 256;
constexpr size_t kClasses = kLargest / kGrain;
constexpr size_t kSlab = 64 * 1024;

struct FreeBlock {
  FreeBlock* next;
};

// Every slab ever taken, so that they stay reachable; blocks move between
// threads' lists when a value is freed on another thread than its maker.
std::mutex slabs_lock;
std::vector<void*>* slabs;

struct ThreadPool {
  FreeBlock* free[kClasses] = {};
  char* bump = nullptr;
  size_t left = 0;
};
thread_local ThreadPool pool;

char* new_slab() {
  char* slab = static_cast<char*>(std::malloc(kSlab));
  if (!slab) throw std::bad_alloc();
  std::lock_guard<std::mutex> g(slabs_lock);
  if (!slabs) slabs = new std::vector<void*>();
  slabs->push_back(slab);
  return slab;
}

}  // namespace
#endif

void* var_pool_alloc(size_t bytes) {
#ifndef VAR_POOL_OFF
  if (bytes && bytes <= kLargest) {
    const size_t c = (bytes - 1) / kGrain;
    ThreadPool& p = pool;
    if (FreeBlock* b = p.free[c]) {
      p.free[c] = b->next;
      return b;
    }
    const size_t size = (c + 1) * kGrain;
    if (p.left < size) {
      p.bump = new_slab();
      p.left = kSlab;
    }
    void* out = p.bump;
    p.bump += size;
    p.left -= size;
    return out;
  }
#endif
  return ::operator new(bytes);
}

void var_pool_free(void* ptr, size_t bytes) {
  (void)bytes;
  if (!ptr) return;
#ifndef VAR_POOL_OFF
  if (bytes && bytes <= kLargest) {
    FreeBlock* b = static_cast<FreeBlock*>(ptr);
    ThreadPool& p = pool;
    const size_t c = (bytes - 1) / kGrain;
    b->next = p.free[c];
    p.free[c] = b;
    return;
  }
#endif
  ::operator delete(ptr);
}
