// Gathers the small writes of a download (one block of at most 4095 bytes at a
// time) into fewer, larger system writes. Shared by the backends' OutputFile.
#ifndef VALDORINE_PLATFORM_WRITE_BUFFER_H
#define VALDORINE_PLATFORM_WRITE_BUFFER_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace platform {

class WriteBuffer {
 public:
  static constexpr size_t kCapacity = 64 * 1024;

  // Appends |size| bytes, handing full buffers (or a large write whole) to
  // |writeAll(const char*, size_t) -> uint32_t|. Returns 0 or the first error.
  template <typename WriteAll>
  uint32_t Append(const void* data, size_t size, WriteAll&& writeAll) {
    const char* p = static_cast<const char*>(data);
    if (used_ + size > kCapacity) {
      if (uint32_t error = Drain(writeAll)) return error;
      if (size >= kCapacity) return writeAll(p, size);
    }
    if (!bytes_) bytes_ = std::make_unique<char[]>(kCapacity);
    std::memcpy(bytes_.get() + used_, p, size);
    used_ += size;
    return 0;
  }

  // Writes out what is held. Returns 0 or the error of the write.
  template <typename WriteAll>
  uint32_t Drain(WriteAll&& writeAll) {
    if (used_ == 0) return 0;
    size_t n = used_;
    used_ = 0;
    return writeAll(bytes_.get(), n);
  }

 private:
  std::unique_ptr<char[]> bytes_;
  size_t used_ = 0;
};

}  // namespace platform

#endif  // VALDORINE_PLATFORM_WRITE_BUFFER_H
