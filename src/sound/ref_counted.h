// Reference counting for every object of the sound engine. Whatever an
// operation creates for its caller carries one reference for that caller;
// drop gives it back and deletes the object at zero.
#pragma once
#include <atomic>

namespace vavozovu {

class IRefCounted {
 public:
  IRefCounted() : refs_(1) {}
  IRefCounted(const IRefCounted&) = delete;
  IRefCounted& operator=(const IRefCounted&) = delete;
  virtual ~IRefCounted() {}

  void grab() const { refs_.fetch_add(1, std::memory_order_relaxed); }
  // True when this drop deleted the object.
  bool drop() const {
    if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
      delete this;
      return true;
    }
    return false;
  }
  // Takes a reference only while the object is still alive (count above 0);
  // for process-wide pointers that another thread may be letting go of.
  bool tryGrab() const {
    int n = refs_.load(std::memory_order_relaxed);
    while (n > 0) {
      if (refs_.compare_exchange_weak(n, n + 1, std::memory_order_acq_rel)) return true;
    }
    return false;
  }
  int getReferenceCount() const { return refs_.load(std::memory_order_relaxed); }

 private:
  mutable std::atomic<int> refs_;
};

// Interfaces whose count lives in the concrete class (sounds and sources):
// the concrete class is wrapped in CVirtualUnknown.
class IVirtualRefCounted {
 public:
  virtual ~IVirtualRefCounted() {}
  virtual void grab() = 0;
  virtual bool drop() = 0;
};

template <class T>
class CVirtualUnknown final : public T {
 public:
  template <class... A>
  explicit CVirtualUnknown(A&&... args) : T(static_cast<A&&>(args)...) {}
  void grab() override { refs_.fetch_add(1, std::memory_order_relaxed); }
  bool drop() override {
    if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
      delete this;
      return true;
    }
    return false;
  }

 private:
  std::atomic<int> refs_{1};
};

}  // namespace vavozovu
