// COM ownership for the shell-link code: an interface pointer that releases itself and the
// apartment of one call.
#pragma once

#include <objbase.h>

#include <utility>

namespace shell {

// Owns one reference to a COM interface and releases it on destruction. Move-only.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { Reset(); }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  // The out-parameter of a creating call (CoCreateInstance, QueryInterface); releases the
  // reference held first.
  void** PutVoid() {
    Reset();
    return reinterpret_cast<void**>(&p_);
  }

  void Reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// Initialises COM (single-threaded apartment) for the calling thread for the lifetime of this
// object. Uninitialises only what it initialised: a thread that already runs another
// apartment model keeps it untouched.
class ComApartment {
 public:
  ComApartment() : result_(::CoInitialize(nullptr)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) ::CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  HRESULT result_;
};

}  // namespace shell
