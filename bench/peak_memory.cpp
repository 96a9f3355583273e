#include "peak_memory.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace olvar::bench {

namespace {

std::atomic<std::size_t> in_use{0};
std::atomic<std::size_t> peak{0};

void* counted(void* p) {
  if (p == nullptr) return p;
  const std::size_t now =
      in_use.fetch_add(malloc_usable_size(p), std::memory_order_relaxed) + malloc_usable_size(p);
  std::size_t seen = peak.load(std::memory_order_relaxed);
  while (now > seen && !peak.compare_exchange_weak(seen, now, std::memory_order_relaxed)) {
  }
  return p;
}

void uncounted_free(void* p) {
  if (p == nullptr) return;
  in_use.fetch_sub(malloc_usable_size(p), std::memory_order_relaxed);
  std::free(p);
}

void* allocate(std::size_t size) {
  void* p = counted(std::malloc(size == 0 ? 1 : size));
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

void* allocate_aligned(std::size_t size, std::align_val_t align) {
  const auto alignment = static_cast<std::size_t>(align);
  const std::size_t rounded = (size + alignment - 1) / alignment * alignment;
  void* p = counted(std::aligned_alloc(alignment, rounded == 0 ? alignment : rounded));
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

}  // namespace

std::size_t bytes_in_use() { return in_use.load(std::memory_order_relaxed); }
void reset_peak() { peak.store(bytes_in_use(), std::memory_order_relaxed); }
std::size_t peak_bytes() { return peak.load(std::memory_order_relaxed); }

}  // namespace olvar::bench

using olvar::bench::allocate;
using olvar::bench::allocate_aligned;
using olvar::bench::uncounted_free;

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new(std::size_t size, std::align_val_t align) {
  return allocate_aligned(size, align);
}
void* operator new[](std::size_t size, std::align_val_t align) {
  return allocate_aligned(size, align);
}
void operator delete(void* p) noexcept { uncounted_free(p); }
void operator delete[](void* p) noexcept { uncounted_free(p); }
void operator delete(void* p, std::size_t) noexcept { uncounted_free(p); }
void operator delete[](void* p, std::size_t) noexcept { uncounted_free(p); }
void operator delete(void* p, std::align_val_t) noexcept { uncounted_free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { uncounted_free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { uncounted_free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { uncounted_free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { uncounted_free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { uncounted_free(p); }
