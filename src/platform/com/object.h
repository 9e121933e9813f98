// Reference-counted objects and the smart pointer that holds them.
//
// Every object that crosses an interface (a class instance, a recordset, a dictionary) derives
// from Unknown and lives as long as some Ptr holds it: "releasing" an object is letting its
// pointer go out of scope, so no error path can leak one.
//
// Each polymorphic class of the platform declares its destructor and defines it in a source
// file of the platform library (its key function), so that its vtable, and so every virtual call
// on it, is the platform library's alone. A server library that makes such an object (a
// dictionary it returns) puts none of its own code into it, and the object outlives the
// server's unloading.
#pragma once

#include <atomic>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace com {

class Unknown {
 public:
  Unknown() = default;
  Unknown(const Unknown&) = delete;
  Unknown& operator=(const Unknown&) = delete;
  virtual ~Unknown();

  std::uint32_t AddRef() const noexcept {
    return refs_.fetch_add(1, std::memory_order_relaxed) + 1;
  }
  std::uint32_t Release() const noexcept {
    const std::uint32_t left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
  }

 private:
  mutable std::atomic<std::uint32_t> refs_{0};
};

// An owning reference to an Unknown-derived object (intrusive count, like CComPtr).
template <class T>
class Ptr {
 public:
  Ptr() noexcept = default;
  Ptr(std::nullptr_t) noexcept {}  // NOLINT(google-explicit-constructor): Nothing
  explicit Ptr(T* raw) noexcept : p_(raw) {
    if (p_) p_->AddRef();
  }
  Ptr(const Ptr& other) noexcept : Ptr(other.p_) {}
  Ptr(Ptr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  Ptr(const Ptr<U>& other) noexcept : Ptr(other.Get()) {}  // NOLINT(google-explicit-constructor)
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  Ptr(Ptr<U>&& other) noexcept : p_(other.Detach()) {}  // NOLINT(google-explicit-constructor)
  ~Ptr() { Reset(); }

  Ptr& operator=(Ptr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }

  void Reset() noexcept {
    if (T* old = std::exchange(p_, nullptr)) old->Release();
  }
  // Gives up ownership without releasing; the caller now holds the reference.
  T* Detach() noexcept { return std::exchange(p_, nullptr); }
  // Takes over a reference that `raw` already holds (the other half of Detach), as a pointer
  // handed out through a void** by an entry point.
  static Ptr Adopt(T* raw) noexcept {
    Ptr taken;
    taken.p_ = raw;
    return taken;
  }

  T* Get() const noexcept { return p_; }
  T* operator->() const noexcept { return p_; }
  T& operator*() const noexcept { return *p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }

  friend bool operator==(const Ptr& a, const Ptr& b) noexcept { return a.p_ == b.p_; }
  friend bool operator==(const Ptr& a, std::nullptr_t) noexcept { return a.p_ == nullptr; }

 private:
  T* p_ = nullptr;
};

template <class T, class... Args>
Ptr<T> Make(Args&&... args) {
  return Ptr<T>(new T(std::forward<Args>(args)...));
}

// QueryInterface for our C++ object model: the same object seen through another interface, or
// an empty pointer when it does not implement it.
template <class T, class U>
Ptr<T> As(const Ptr<U>& from) noexcept {
  return Ptr<T>(dynamic_cast<T*>(from.Get()));
}

}  // namespace com
