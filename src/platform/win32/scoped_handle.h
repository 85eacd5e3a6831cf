// Win32 only code.
// One owning wrapper for every kind of OS handle. The traits say which value
// means "no handle" (INVALID_HANDLE_VALUE for files, null for most others) and
// how to give the handle back, so each kind is released the right way.
#ifndef VALDORINE_PLATFORM_WIN32_SCOPED_HANDLE_H
#define VALDORINE_PLATFORM_WIN32_SCOPED_HANDLE_H

#include <utility>

// clang-format off
#include "platform/win32/win32.h"
#include <wininet.h>  // needs <windows.h> first
// clang-format on

namespace platform::win32 {

template <typename Traits>
class ScopedHandle {
 public:
  using Handle = typename Traits::Handle;

  ScopedHandle() : handle_(Traits::Invalid()) {}
  explicit ScopedHandle(Handle handle) : handle_(handle) {}
  ~ScopedHandle() { Reset(); }

  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  bool IsValid() const { return Traits::IsValid(handle_); }
  explicit operator bool() const { return IsValid(); }
  Handle Get() const { return handle_; }

  // Gives up ownership without closing.
  Handle Release() {
    Handle handle = handle_;
    handle_ = Traits::Invalid();
    return handle;
  }

  // Closes the current handle (if any) and takes ownership of |handle|.
  void Reset(Handle handle = Traits::Invalid()) {
    if (Traits::IsValid(handle_)) Traits::Close(handle_);
    handle_ = handle;
  }

  // For out-parameters of APIs that create a handle: closes the current one.
  Handle* Receive() {
    Reset();
    return &handle_;
  }

 private:
  Handle handle_;
};

// Handles from CreateFile and friends: INVALID_HANDLE_VALUE means none.
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(Handle h) { ::CloseHandle(h); }
};

// Process, thread, event, mutex handles: null means none.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::CloseHandle(h); }
};

// FindFirstFile handles.
struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(Handle h) { ::FindClose(h); }
};

struct RegKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::RegCloseKey(h); }
};

struct InternetHandleTraits {
  using Handle = HINTERNET;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::InternetCloseHandle(h); }
};

struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::FreeLibrary(h); }
};

// Any GDI object released with DeleteObject (fonts, bitmaps, brushes, pens).
// Stock objects must not be put in one.
template <typename T>
struct GdiObjectTraits {
  using Handle = T;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::DeleteObject(h); }
};

// Icons from LoadImage/CreateIcon (not shared ones: LR_SHARED icons are never destroyed).
struct IconTraits {
  using Handle = HICON;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::DestroyIcon(h); }
};

struct AcceleratorTraits {
  using Handle = HACCEL;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::DestroyAcceleratorTable(h); }
};

using ScopedFileHandle = ScopedHandle<FileHandleTraits>;
using ScopedKernelHandle = ScopedHandle<KernelHandleTraits>;
using ScopedFindHandle = ScopedHandle<FindHandleTraits>;
using ScopedRegKey = ScopedHandle<RegKeyTraits>;
using ScopedInternetHandle = ScopedHandle<InternetHandleTraits>;
using ScopedModule = ScopedHandle<ModuleTraits>;
using ScopedFont = ScopedHandle<GdiObjectTraits<HFONT>>;
using ScopedBitmap = ScopedHandle<GdiObjectTraits<HBITMAP>>;
using ScopedBrush = ScopedHandle<GdiObjectTraits<HBRUSH>>;
using ScopedIcon = ScopedHandle<IconTraits>;
using ScopedAccelerator = ScopedHandle<AcceleratorTraits>;

}  // namespace platform::win32

#endif  // VALDORINE_PLATFORM_WIN32_SCOPED_HANDLE_H
