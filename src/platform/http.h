// The HTTP client: one session, one GET response at a time, pulled in blocks.
#ifndef VALDORINE_PLATFORM_HTTP_H
#define VALDORINE_PLATFORM_HTTP_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace platform {

// The most that one Read delivers.
inline constexpr size_t kHttpBlockSize = 4095;

// No byte for this long fails a transfer.
inline constexpr uint32_t kHttpStallSeconds = 60;

// An open GET response. Failures are results; nothing is thrown. A response
// is read and closed while its session is open: WinINet closes a session's
// responses with it.
class HttpResponse {
 public:
  virtual ~HttpResponse() = default;  // Closes the response.

  // The Content-Length header as a number, or nothing when absent.
  virtual std::optional<uint32_t> ContentLength() = 0;

  // The final status code (after the client followed redirects).
  virtual uint32_t StatusCode() = 0;

  // Reads the next part of the body, at most |capacity| bytes (callers pass
  // kHttpBlockSize). Returns 0 and sets |received| (0 at the end of the body),
  // or a system error code when the transfer failed (broken connection,
  // stall, a body cut short of its Content-Length where the client knows it).
  virtual uint32_t Read(void* buffer, size_t capacity, size_t* received) = 0;
};

// An internet session with an agent name (the User-Agent of every request),
// the system's proxy configuration and the client's own redirect handling.
class HttpSession {
 public:
  virtual ~HttpSession() = default;  // Closes the session.

  // Sends a GET for |url|. Returns 0 and sets |response|, or a system error
  // code when the request could not be made (name not resolved, refused,
  // broken, too many redirects...).
  virtual uint32_t Open(const wchar_t* url, std::unique_ptr<HttpResponse>* response) = 0;
};

// Creates a session. Returns null when none can be created.
std::unique_ptr<HttpSession> CreateHttpSession(const wchar_t* agent);

}  // namespace platform

#endif  // VALDORINE_PLATFORM_HTTP_H
