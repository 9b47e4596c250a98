// Small blocks for var's shared values and their arrays. A parsed document
// makes and frees them by the hundred thousand; size classes with free lists
// per thread make both a pointer move. Memory comes in slabs that stay for
// the life of the program and serve again. Under AddressSanitizer the pool
// steps aside so that every block is checked on its own.
#pragma once
#include <cstddef>
#include <new>

void* var_pool_alloc(size_t bytes);
void var_pool_free(void* p, size_t bytes);

template <typename T>
struct var_pool_allocator {
  using value_type = T;
  var_pool_allocator() = default;
  template <typename U>
  var_pool_allocator(const var_pool_allocator<U>&) {}
  T* allocate(size_t n) { return static_cast<T*>(var_pool_alloc(n * sizeof(T))); }
  void deallocate(T* p, size_t n) { var_pool_free(p, n * sizeof(T)); }
  template <typename U>
  bool operator==(const var_pool_allocator<U>&) const { return true; }
  template <typename U>
  bool operator!=(const var_pool_allocator<U>&) const { return false; }
};

// Gives a value type its blocks from the pool.
struct var_pooled {
  static void* operator new(size_t bytes) { return var_pool_alloc(bytes); }
  static void operator delete(void* p, size_t bytes) { var_pool_free(p, bytes); }
};
