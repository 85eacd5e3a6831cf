// Win32 only code.
// The HTTP client on WinINet: the system's proxy configuration and redirect
// handling, one GET per InternetOpenUrlW, the body pulled with
// InternetReadFile.
#include <cstdlib>
#include <memory>
#include <optional>

#include "platform/errors.h"
#include "platform/http.h"
#include "platform/win32/scoped_handle.h"

namespace platform {
namespace {

using win32::ScopedInternetHandle;

// Not zero: WinINet sends status callbacks only for requests with a context.
constexpr DWORD kContext = 1;

// Tests shorten the stall time-out through the environment.
DWORD StallMilliseconds() {
  static const DWORD milliseconds = [] {
    wchar_t text[16];
    DWORD size = ::GetEnvironmentVariableW(L"VALDORINE_HTTP_STALL_SECONDS", text, 16);
    if (size > 0 && size < 16) {
      wchar_t* end = nullptr;
      unsigned long value = std::wcstoul(text, &end, 10);
      if (*end == L'\0' && value > 0 && value <= 3600) return static_cast<DWORD>(value * 1000);
    }
    return static_cast<DWORD>(kHttpStallSeconds * 1000);
  }();
  return milliseconds;
}

// Wine's WinINet lets socket errors through; callers see WinINet's codes.
uint32_t LastErrorOr(uint32_t fallback) {
  DWORD error = ::GetLastError();
  switch (error) {
    case ERROR_SUCCESS:
      return fallback;
    case WSAECONNRESET:
      return kErrorInternetConnectionReset;
    case WSAECONNABORTED:
      return kErrorInternetConnectionAborted;
    case WSAETIMEDOUT:
      return kErrorInternetTimeout;
    case WSAECONNREFUSED:
      return kErrorInternetCannotConnect;
    default:
      return error;
  }
}

// Windows passes the session's receive time-out on to its requests. Wine's
// WinINet gives a request none of its own and puts the request's time-out on
// the socket only as it reads the response headers, inside InternetOpenUrlW,
// so one set afterwards never reaches a read. The status callback reaches the
// request before each send, redirects included, and sets it there. It runs on
// the calling thread, also a few times per block read, returning at once.
void CALLBACK SetStallTimeout(HINTERNET handle, DWORD_PTR, DWORD status, void*, DWORD) {
  if (status != INTERNET_STATUS_SENDING_REQUEST) return;
  DWORD timeout = StallMilliseconds();
  ::InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
}

class WinInetResponse final : public HttpResponse {
 public:
  explicit WinInetResponse(HINTERNET request) : request_(request) {
    DWORD value = 0;
    DWORD size = sizeof value;
    DWORD index = 0;
    // ERROR_HTTP_HEADER_NOT_FOUND: no Content-Length, which is no error.
    if (::HttpQueryInfoW(request_.Get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &value,
                         &size, &index)) {
      length_ = value;
    }
    wchar_t text[32] = {};
    size = sizeof text - sizeof text[0];
    index = 0;
    if (::HttpQueryInfoW(request_.Get(), HTTP_QUERY_STATUS_CODE, text, &size, &index)) {
      status_ = static_cast<uint32_t>(std::wcstoul(text, nullptr, 10));
    }
  }

  // A redirect the client did not follow (Wine's WinINet does not follow 308)
  // arrives as the final answer; its page is not the file.
  bool IsUnfollowedRedirect() {
    if (status_ < 300 || status_ > 399) return false;
    wchar_t location[2048];
    DWORD size = sizeof location;
    DWORD index = 0;
    return ::HttpQueryInfoW(request_.Get(), HTTP_QUERY_LOCATION, location, &size, &index) ||
           ::GetLastError() == ERROR_INSUFFICIENT_BUFFER;
  }

  std::optional<uint32_t> ContentLength() override { return length_; }

  uint32_t StatusCode() override { return status_; }

  uint32_t Read(void* buffer, size_t capacity, size_t* received) override {
    *received = 0;
    if (failure_ != kErrorSuccess) return failure_;
    if (capacity == 0) return kErrorInvalidParameter;
    DWORD want = capacity > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(capacity);
    DWORD got = 0;
    if (!::InternetReadFile(request_.Get(), buffer, want, &got)) {
      failure_ = LastErrorOr(kErrorInternetConnectionAborted);
      return failure_;
    }
    if (got == 0) {
      // WinINet ends a body cut short of its Content-Length as if it were
      // complete; a truncated file must not pass for a whole one.
      if (length_ && receivedTotal_ < *length_) {
        failure_ = kErrorInternetConnectionAborted;
        return failure_;
      }
      return kErrorSuccess;
    }
    receivedTotal_ += got;
    *received = got;
    return kErrorSuccess;
  }

 private:
  ScopedInternetHandle request_;
  std::optional<uint32_t> length_;
  uint32_t status_ = 0;
  uint64_t receivedTotal_ = 0;
  uint32_t failure_ = kErrorSuccess;
};

class WinInetSession final : public HttpSession {
 public:
  explicit WinInetSession(HINTERNET session) : session_(session) {}

  uint32_t Open(const wchar_t* url, std::unique_ptr<HttpResponse>* response) override {
    response->reset();
    if (!url) return kErrorInvalidParameter;
    ScopedInternetHandle request(::InternetOpenUrlW(session_.Get(), url, nullptr, 0,
                                                    INTERNET_FLAG_TRANSFER_BINARY, kContext));
    if (!request) return LastErrorOr(kErrorInternetCannotConnect);
    auto opened = std::make_unique<WinInetResponse>(request.Release());
    if (opened->IsUnfollowedRedirect()) return kErrorHttpRedirectFailed;
    *response = std::move(opened);
    return kErrorSuccess;
  }

 private:
  ScopedInternetHandle session_;
};

}  // namespace

std::unique_ptr<HttpSession> CreateHttpSession(const wchar_t* agent) {
  ScopedInternetHandle session(
      ::InternetOpenW(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) return nullptr;
  // A server that goes silent must not hold the setup forever.
  DWORD timeout = StallMilliseconds();
  ::InternetSetOptionW(session.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
  // Best effort: Windows needs no callback for the time-out to hold.
  ::InternetSetStatusCallbackW(session.Get(), SetStallTimeout);
  return std::make_unique<WinInetSession>(session.Release());
}

}  // namespace platform
