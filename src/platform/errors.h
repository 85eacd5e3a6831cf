// System error codes as Windows reports them. The posix layer maps errno to
// these so the core and its messages see one set of codes.
#ifndef VALDORINE_PLATFORM_ERRORS_H
#define VALDORINE_PLATFORM_ERRORS_H

#include <cstdint>

namespace platform {

inline constexpr uint32_t kErrorSuccess = 0;
inline constexpr uint32_t kErrorFileNotFound = 2;
inline constexpr uint32_t kErrorPathNotFound = 3;
inline constexpr uint32_t kErrorAccessDenied = 5;
inline constexpr uint32_t kErrorInvalidHandle = 6;
inline constexpr uint32_t kErrorNotEnoughMemory = 8;
inline constexpr uint32_t kErrorInvalidDrive = 15;
inline constexpr uint32_t kErrorNotReady = 21;
inline constexpr uint32_t kErrorWriteFault = 29;
inline constexpr uint32_t kErrorSharingViolation = 32;
inline constexpr uint32_t kErrorFileExists = 80;
inline constexpr uint32_t kErrorInvalidParameter = 87;
inline constexpr uint32_t kErrorDiskFull = 112;
inline constexpr uint32_t kErrorInsufficientBuffer = 122;
inline constexpr uint32_t kErrorInvalidName = 123;
inline constexpr uint32_t kErrorDirNotEmpty = 145;
inline constexpr uint32_t kErrorBadPathname = 161;
inline constexpr uint32_t kErrorAlreadyExists = 183;
inline constexpr uint32_t kErrorFilenameExcedRange = 206;
inline constexpr uint32_t kErrorMoreData = 234;
inline constexpr uint32_t kErrorNoMoreItems = 259;
inline constexpr uint32_t kErrorDirectory = 267;
inline constexpr uint32_t kErrorNotFound = 1168;
inline constexpr uint32_t kErrorCancelled = 1223;
inline constexpr uint32_t kErrorTimeout = 1460;
// WinINet's range (12001..12175) for failures of the HTTP exchange.
inline constexpr uint32_t kErrorInternetTimeout = 12002;
inline constexpr uint32_t kErrorInternetNameNotResolved = 12007;
inline constexpr uint32_t kErrorInternetCannotConnect = 12029;
inline constexpr uint32_t kErrorInternetConnectionAborted = 12030;
inline constexpr uint32_t kErrorInternetConnectionReset = 12031;
inline constexpr uint32_t kErrorHttpInvalidServerResponse = 12152;
inline constexpr uint32_t kErrorHttpRedirectFailed = 12156;

}  // namespace platform

#endif  // VALDORINE_PLATFORM_ERRORS_H
