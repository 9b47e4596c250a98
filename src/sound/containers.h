// The engine's own small containers: a text string, a growing array and a
// doubly linked list, all allocating through a vzAllocator.
#pragma once
#include <cstddef>
#include <cstring>
#include <new>

namespace vz_internal {

class vzAllocator {
 public:
  virtual ~vzAllocator() {}
  virtual void* allocate(size_t bytes) { return ::operator new(bytes); }
  virtual void deallocate(void* p) { ::operator delete(p); }
  static vzAllocator& standard() {
    static vzAllocator a;
    return a;
  }
};

// Text string; the used count includes the terminating zero, so an empty
// string holds one byte.
class vzString {
 public:
  vzString() { assign(""); }
  vzString(const char* s) { assign(s ? s : ""); }  // NOLINT: implicit by design
  vzString(const vzString& o) { assign(o.c_str()); }
  ~vzString() { alloc_->deallocate(data_); }

  vzString& operator=(const vzString& o) {
    if (this != &o) assign(o.c_str());
    return *this;
  }
  vzString& operator=(const char* s) {
    assign(s ? s : "");
    return *this;
  }
  // Narrows each 16-bit unit to its low byte.
  vzString& operator=(const char16_t* w);

  vzString& operator+=(const char* s);
  vzString& operator+=(const vzString& o) { return *this += o.c_str(); }

  const char* c_str() const { return data_; }
  size_t size() const { return used_ - 1; }
  bool operator==(const vzString& o) const { return strcmp(data_, o.data_) == 0; }
  bool operator==(const char* s) const { return s && strcmp(data_, s) == 0; }
  bool operator!=(const vzString& o) const { return !(*this == o); }
  // Byte-wise order of signed characters; a prefix sorts first.
  static int compare(const char* a, const char* b);
  bool operator<(const vzString& o) const { return compare(data_, o.data_) < 0; }
  // Lower-cases the letters A to Z only.
  void makeLower();
  bool contains(const char* s) const { return strstr(data_, s) != nullptr; }

 private:
  void assign(const char* s);
  char* data_ = nullptr;
  size_t allocated_ = 0;
  size_t used_ = 0;
  vzAllocator* alloc_ = &vzAllocator::standard();
};

// Growing array of plain values (pointers, mostly). Appending to a full
// array reallocates to used * 2 + 1 elements.
template <class T>
class vzArray {
 public:
  vzArray() = default;
  vzArray(const vzArray&) = delete;
  vzArray& operator=(const vzArray&) = delete;
  ~vzArray() {
    if (freeWhenDestroyed_) freeStorage();
  }

  void push_back(const T& v) {
    if (used_ + 1 > allocated_) {
      const T copy(v);  // v may live in the storage about to go
      reallocate(used_ * 2 + 1);
      new (&data_[used_]) T(copy);
    } else {
      new (&data_[used_]) T(v);
    }
    ++used_;
    sorted_ = false;
  }
  void erase(size_t i) {
    if (i >= used_) return;
    for (size_t k = i; k + 1 < used_; ++k) data_[k] = data_[k + 1];
    data_[used_ - 1].~T();
    --used_;
  }
  void clear() {
    freeStorage();
    sorted_ = true;
  }
  size_t size() const { return used_; }
  bool empty() const { return used_ == 0; }
  T& operator[](size_t i) { return data_[i]; }
  const T& operator[](size_t i) const { return data_[i]; }
  bool isSorted() const { return sorted_; }
  void setSorted(bool s) { sorted_ = s; }

  // Heap sort with less(a, b).
  template <class Less>
  void heapSort(Less less) {
    size_t n = used_;
    for (size_t i = n / 2; i-- > 0;) sift(i, n, less);
    for (size_t end = n; end-- > 1;) {
      T t = data_[0];
      data_[0] = data_[end];
      data_[end] = t;
      sift(0, end, less);
    }
    sorted_ = true;
  }

 private:
  template <class Less>
  void sift(size_t root, size_t n, Less less) {
    for (;;) {
      size_t child = root * 2 + 1;
      if (child >= n) return;
      if (child + 1 < n && less(data_[child], data_[child + 1])) ++child;
      if (!less(data_[root], data_[child])) return;
      T t = data_[root];
      data_[root] = data_[child];
      data_[child] = t;
      root = child;
    }
  }
  void reallocate(size_t count) {
    T* fresh = static_cast<T*>(alloc_->allocate(count * sizeof(T)));
    for (size_t i = 0; i < used_; ++i) {
      new (&fresh[i]) T(data_[i]);
      data_[i].~T();
    }
    if (data_) alloc_->deallocate(data_);
    data_ = fresh;
    allocated_ = count;
  }
  void freeStorage() {
    for (size_t i = 0; i < used_; ++i) data_[i].~T();
    if (data_) alloc_->deallocate(data_);
    data_ = nullptr;
    allocated_ = used_ = 0;
  }
  T* data_ = nullptr;
  size_t allocated_ = 0;
  size_t used_ = 0;
  bool freeWhenDestroyed_ = true;
  bool sorted_ = true;
  vzAllocator* alloc_ = &vzAllocator::standard();
};

// Doubly linked list.
template <class T>
class vzList {
 public:
  struct Node {
    Node* next;
    Node* prev;
    T value;
  };
  vzList() = default;
  vzList(const vzList&) = delete;
  vzList& operator=(const vzList&) = delete;
  ~vzList() { clear(); }

  void push_back(const T& v) {
    Node* n = new Node{nullptr, tail_, v};
    if (tail_) tail_->next = n;
    else head_ = n;
    tail_ = n;
    ++count_;
  }
  // Unlinks and frees the node; returns the one after it.
  Node* erase(Node* n) {
    Node* next = n->next;
    if (n->prev) n->prev->next = next;
    else head_ = next;
    if (next) next->prev = n->prev;
    else tail_ = n->prev;
    delete n;
    --count_;
    return next;
  }
  void clear() {
    while (head_) erase(head_);
  }
  Node* begin() const { return head_; }
  size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }

 private:
  Node* head_ = nullptr;
  Node* tail_ = nullptr;
  size_t count_ = 0;
};

}  // namespace vz_internal
