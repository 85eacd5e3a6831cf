// POSIX only code.
// The HTTP client on libcurl. The body is pulled, not pushed: curl runs only
// inside Open and Read, its write callback copies straight into the caller's
// block, and when the block is full the transfer is paused, so at most the
// rest of one curl chunk is ever held here, whatever the size of the file.
#include <curl/curl.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/errors.h"
#include "platform/http.h"
#include "platform/posix/posix_paths.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

// WinINet codes the shared table does not name.
constexpr uint32_t kErrorInternetInternalError = 12004;
constexpr uint32_t kErrorInternetInvalidUrl = 12005;
constexpr uint32_t kErrorInternetUnrecognizedScheme = 12006;
constexpr uint32_t kErrorInternetInvalidCa = 12045;
constexpr uint32_t kErrorInternetSecurityChannelError = 12157;

constexpr long kMaxRedirects = 10;

// Tests shorten the stall time-out through the environment.
uint32_t StallSeconds() {
  static const uint32_t seconds = [] {
    const char* text = std::getenv("VALDORINE_HTTP_STALL_SECONDS");
    if (text && *text) {
      char* end = nullptr;
      unsigned long value = std::strtoul(text, &end, 10);
      if (*end == '\0' && value > 0 && value <= 3600) return static_cast<uint32_t>(value);
    }
    return kHttpStallSeconds;
  }();
  return seconds;
}

uint32_t ErrorFromCurl(CURLcode code) {
  switch (code) {
    case CURLE_OK:
      return kErrorSuccess;
    case CURLE_UNSUPPORTED_PROTOCOL:
      return kErrorInternetUnrecognizedScheme;
    case CURLE_URL_MALFORMAT:
      return kErrorInternetInvalidUrl;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
      return kErrorInternetNameNotResolved;
    case CURLE_COULDNT_CONNECT:
      return kErrorInternetCannotConnect;
    case CURLE_OPERATION_TIMEDOUT:
      return kErrorInternetTimeout;
    case CURLE_PARTIAL_FILE:
      return kErrorInternetConnectionAborted;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
      return kErrorInternetConnectionReset;
    case CURLE_GOT_NOTHING:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_BAD_CONTENT_ENCODING:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
      return kErrorHttpInvalidServerResponse;
    case CURLE_TOO_MANY_REDIRECTS:
      return kErrorHttpRedirectFailed;
    case CURLE_PEER_FAILED_VERIFICATION:
      return kErrorInternetInvalidCa;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
      return kErrorInternetSecurityChannelError;
    case CURLE_OUT_OF_MEMORY:
      return kErrorNotEnoughMemory;
    default:
      return kErrorInternetInternalError;
  }
}

// curl refuses blanks and control bytes in a URL; WinINet escapes them.
std::string EscapedUrl(const wchar_t* url) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : posix::ToUtf8(url)) {
    if (c <= 0x20 || c >= 0x7f) {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

// The multi handle of a session keeps its connections; responses hold it too
// so that they stay valid whichever is destroyed first.
struct Multi {
  CURLM* handle = nullptr;
  Multi() : handle(curl_multi_init()) {}
  ~Multi() {
    if (handle) curl_multi_cleanup(handle);
  }
  Multi(const Multi&) = delete;
  Multi& operator=(const Multi&) = delete;
};

class CurlResponse final : public HttpResponse {
 public:
  explicit CurlResponse(std::shared_ptr<Multi> multi) : multi_(std::move(multi)) {}

  ~CurlResponse() override {
    if (easy_) {
      if (added_) curl_multi_remove_handle(multi_->handle, easy_);
      curl_easy_cleanup(easy_);
    }
  }

  CurlResponse(const CurlResponse&) = delete;
  CurlResponse& operator=(const CurlResponse&) = delete;

  uint32_t Start(const std::string& url, const std::string& agent) {
    easy_ = curl_easy_init();
    if (!easy_) return kErrorNotEnoughMemory;
    curl_easy_setopt(easy_, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy_, CURLOPT_USERAGENT, agent.c_str());
    curl_easy_setopt(easy_, CURLOPT_PRIVATE, this);
    curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy_, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(easy_, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT, static_cast<long>(StallSeconds()));
    // No CURLOPT_PROXY: curl takes http_proxy, https_proxy and no_proxy from
    // the environment, which is this system's proxy configuration.
    curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &CurlResponse::OnHeader);
    curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &CurlResponse::OnBody);
    curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
    if (curl_multi_add_handle(multi_->handle, easy_) != CURLM_OK) return kErrorNotEnoughMemory;
    added_ = true;

    // Until the final response's headers are in (or the transfer ended).
    uint32_t error = Pump([this] { return headersDone_; });
    if (error != kErrorSuccess) return error;
    if (headersDone_) return kErrorSuccess;
    if (result_ != CURLE_OK) return ErrorFromCurl(result_);
    // Ended without final headers and without an error: a redirect curl did
    // not follow. Its page is not the file.
    return kErrorHttpRedirectFailed;
  }

  std::optional<uint32_t> ContentLength() override { return contentLength_; }

  uint32_t StatusCode() override { return status_; }

  uint32_t Read(void* buffer, size_t capacity, size_t* received) override {
    *received = 0;
    if (capacity == 0) return kErrorInvalidParameter;
    if (leftoverOffset_ < leftover_.size()) {
      size_t count = std::min(capacity, leftover_.size() - leftoverOffset_);
      std::memcpy(buffer, leftover_.data() + leftoverOffset_, count);
      leftoverOffset_ += count;
      if (leftoverOffset_ == leftover_.size()) {
        leftover_.clear();
        leftoverOffset_ = 0;
      }
      *received = count;
      return kErrorSuccess;
    }
    if (failure_ != kErrorSuccess) return failure_;

    target_ = static_cast<char*>(buffer);
    room_ = capacity;
    delivered_ = 0;
    if (paused_) {
      paused_ = false;
      // Hands the chunk curl held back to OnBody at once.
      CURLcode code = curl_easy_pause(easy_, CURLPAUSE_CONT);
      if (code != CURLE_OK && !done_) Finish(code);
    }
    uint32_t error = Pump([this] { return delivered_ > 0; });
    target_ = nullptr;
    room_ = 0;
    *received = delivered_;
    if (delivered_ > 0) return kErrorSuccess;
    if (error != kErrorSuccess) return error;
    return failure_;
  }

 private:
  // Runs curl until |ready| or the end of the transfer; fails the transfer
  // when no byte arrives for the stall time while waiting here.
  template <typename Ready>
  uint32_t Pump(Ready ready) {
    lastProgress_ = Clock::now();
    const auto stall = std::chrono::seconds(StallSeconds());
    while (!ready() && !done_) {
      int running = 0;
      CURLMcode code = curl_multi_perform(multi_->handle, &running);
      if (code != CURLM_OK && code != CURLM_CALL_MULTI_PERFORM) {
        failure_ =
            code == CURLM_OUT_OF_MEMORY ? kErrorNotEnoughMemory : kErrorInternetInternalError;
        done_ = true;
        break;
      }
      CollectFinished(multi_->handle);
      if (ready() || done_) break;
      auto waited = Clock::now() - lastProgress_;
      if (waited >= stall) {
        failure_ = kErrorInternetTimeout;
        done_ = true;
        break;
      }
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(stall - waited).count();
      curl_multi_poll(multi_->handle, nullptr, 0, static_cast<int>(std::min<long long>(left, 1000)),
                      nullptr);
    }
    if (!ready() && done_ && failure_ != kErrorSuccess) return failure_;
    return kErrorSuccess;
  }

  // Several responses may share the multi handle: each finished transfer is
  // told to its own response.
  static void CollectFinished(CURLM* multi) {
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
      if (message->msg != CURLMSG_DONE) continue;
      CurlResponse* owner = nullptr;
      curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &owner);
      if (owner) owner->Finish(message->data.result);
    }
  }

  void Finish(CURLcode result) {
    done_ = true;
    result_ = result;
    failure_ = ErrorFromCurl(result);
  }

  static size_t OnHeader(char* data, size_t size, size_t count, void* context) {
    auto* self = static_cast<CurlResponse*>(context);
    size_t length = size * count;
    self->lastProgress_ = Clock::now();
    if (self->headersDone_) return length;  // trailers
    std::string_view line(data, length);
    if (line.rfind("HTTP/", 0) == 0) {
      // A new response (after a redirect or an interim 1xx) starts afresh.
      self->pendingLength_.reset();
      self->pendingLocation_ = false;
      return length;
    }
    if (line == "\r\n" || line == "\n") {
      long status = 0;
      curl_easy_getinfo(self->easy_, CURLINFO_RESPONSE_CODE, &status);
      bool interim = status >= 100 && status < 200;
      bool redirect = status >= 300 && status < 400 && self->pendingLocation_;
      if (!interim && !redirect) {
        self->headersDone_ = true;
        self->status_ = static_cast<uint32_t>(status);
        self->contentLength_ = self->pendingLength_;
      }
      return length;
    }
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) return length;
    std::string_view name = line.substr(0, colon);
    std::string_view value = line.substr(colon + 1);
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
      value.remove_prefix(1);
    while (!value.empty() &&
           (value.back() == '\r' || value.back() == '\n' || value.back() == ' ')) {
      value.remove_suffix(1);
    }
    if (curl_strnequal(name.data(), "Content-Length", name.size()) && name.size() == 14) {
      uint64_t number = 0;
      bool valid = !value.empty() && value.size() <= 20;
      for (char c : value) {
        if (c < '0' || c > '9') valid = false;
        number = number * 10 + static_cast<uint64_t>(c - '0');
      }
      // A length beyond 32 bits cannot be told to the caller: none.
      if (valid && number <= 0xFFFFFFFFu) {
        self->pendingLength_ = static_cast<uint32_t>(number);
      } else {
        self->pendingLength_.reset();
      }
    } else if (curl_strnequal(name.data(), "Location", name.size()) && name.size() == 8) {
      self->pendingLocation_ = !value.empty();
    }
    return length;
  }

  static size_t OnBody(char* data, size_t size, size_t count, void* context) {
    auto* self = static_cast<CurlResponse*>(context);
    size_t length = size * count;
    self->lastProgress_ = Clock::now();
    if (!self->headersDone_) return length;  // the page of a followed redirect
    if (self->room_ == 0 || self->leftoverOffset_ < self->leftover_.size()) {
      // No block to fill: curl keeps this chunk until the next Read.
      self->paused_ = true;
      return CURL_WRITEFUNC_PAUSE;
    }
    size_t count_now = std::min(length, self->room_);
    std::memcpy(self->target_ + self->delivered_, data, count_now);
    self->delivered_ += count_now;
    self->room_ -= count_now;
    if (count_now < length) {
      self->leftover_.assign(data + count_now, data + length);
      self->leftoverOffset_ = 0;
      self->room_ = 0;
    }
    return length;
  }

  std::shared_ptr<Multi> multi_;
  CURL* easy_ = nullptr;
  bool added_ = false;

  // Headers of the response being received, and of the final one.
  std::optional<uint32_t> pendingLength_;
  bool pendingLocation_ = false;
  bool headersDone_ = false;
  uint32_t status_ = 0;
  std::optional<uint32_t> contentLength_;

  // The caller's block during a Read.
  char* target_ = nullptr;
  size_t room_ = 0;
  size_t delivered_ = 0;
  // The part of one curl chunk that did not fit the caller's block.
  std::string leftover_;
  size_t leftoverOffset_ = 0;
  bool paused_ = false;

  bool done_ = false;
  CURLcode result_ = CURLE_OK;
  uint32_t failure_ = kErrorSuccess;
  Clock::time_point lastProgress_;
};

class CurlSession final : public HttpSession {
 public:
  CurlSession(std::string agent, std::shared_ptr<Multi> multi)
      : agent_(std::move(agent)), multi_(std::move(multi)) {}

  uint32_t Open(const wchar_t* url, std::unique_ptr<HttpResponse>* response) override {
    response->reset();
    if (!url) return kErrorInvalidParameter;
    auto opened = std::make_unique<CurlResponse>(multi_);
    uint32_t error = opened->Start(EscapedUrl(url), agent_);
    if (error != kErrorSuccess) return error;
    *response = std::move(opened);
    return kErrorSuccess;
  }

 private:
  std::string agent_;
  std::shared_ptr<Multi> multi_;
};

}  // namespace

std::unique_ptr<HttpSession> CreateHttpSession(const wchar_t* agent) {
  static const bool initialized = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  if (!initialized) return nullptr;
  auto multi = std::make_shared<Multi>();
  if (!multi->handle) return nullptr;
  return std::make_unique<CurlSession>(posix::ToUtf8(agent ? agent : L""), std::move(multi));
}

}  // namespace platform
