// Win32 only code.
// Owning pointer to a COM interface. Copying is deleted so every AddRef has
// one visible owner; ownership moves explicitly.
#ifndef VALDORINE_PLATFORM_WIN32_COM_PTR_H
#define VALDORINE_PLATFORM_WIN32_COM_PTR_H

#include <utility>

// clang-format off
#include "platform/win32/win32.h"
#include <objbase.h>  // needs <windows.h> first
// clang-format on

namespace platform::win32 {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference the caller already owns (no AddRef).
  explicit ComPtr(T* pointer) : pointer_(pointer) {}
  ~ComPtr() { Reset(); }

  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.pointer_, nullptr));
    return *this;
  }

  T* Get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

  // Releases the current interface and takes over |pointer| (no AddRef).
  void Reset(T* pointer = nullptr) {
    if (pointer_) pointer_->Release();
    pointer_ = pointer;
  }

  // For out-parameters (CoCreateInstance, QueryInterface): releases the
  // current interface first.
  T** Receive() {
    Reset();
    return &pointer_;
  }
  void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }

  // Asks the object for another interface; returns the HRESULT.
  template <typename U>
  HRESULT As(ComPtr<U>* other) const {
    if (!pointer_) return E_POINTER;
    return pointer_->QueryInterface(__uuidof(U), other->ReceiveVoid());
  }

 private:
  T* pointer_ = nullptr;
};

// CoCreateInstance into |out| for interface T.
template <typename T>
HRESULT CreateComInstance(REFCLSID clsid, ComPtr<T>* out, DWORD context = CLSCTX_INPROC_SERVER) {
  return ::CoCreateInstance(clsid, nullptr, context, __uuidof(T), out->ReceiveVoid());
}

}  // namespace platform::win32

#endif  // VALDORINE_PLATFORM_WIN32_COM_PTR_H
