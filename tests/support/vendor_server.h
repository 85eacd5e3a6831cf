// The vendor test server as the tests see it: files to serve, faults to show,
// and the log of what the client under test asked for.
#ifndef VALDORINE_TESTS_SUPPORT_VENDOR_SERVER_H
#define VALDORINE_TESTS_SUPPORT_VENDOR_SERVER_H

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// How the server answers a path; the order matches server/fault_names.h.
enum class Fault {
  kNone,                 // the file at the path, or 404 with a page
  kStatus404WithLength,  // 404 with a small page and its Content-Length
  kStatus404NoLength,    // 404, page ended by closing the connection
  kStatus500WithLength,
  kStatus500NoLength,
  kNoContentLength,  // 200, the file ended by closing the connection
  kShortBody,        // Content-Length of the whole file, half of it, then close
  kResetMidway,      // Content-Length of the whole file, half of it, then a reset
  kSlowDrip,         // the whole file in 256-byte chunks, 20 ms apart
  kStall,            // Content-Length of the whole file, half of it, then silence
  kRedirect,         // 302 to the same path + ".target"
  kRedirectLoop,     // 302 to itself
  kRedirect308,      // 308 to the same path + ".target"
};
// Faults that send a body use the file at the path, or 16 KiB of generated
// bytes when there is none.

struct RecordedRequest {
  std::string method;
  std::string target;  // as received: absolute-form when sent through a proxy
  std::string userAgent;
};

class VendorServer {
 public:
  // The one server of the test process. When VALDORINE_TEST_SERVER
  // ("127.0.0.1:port") is set, that server is used (the Wine test run starts
  // one); otherwise the build's vendor_server is started once with a
  // temporary root and stopped at exit.
  static VendorServer& Get();

  uint16_t port() const { return port_; }
  std::string proxy() const;  // "http://127.0.0.1:<port>"

  // Control calls fail the running test (not fatally) when the server
  // refuses them.
  void PutFile(const std::string& urlPath, const std::string& bytes);
  void SetFault(const std::string& urlPath, Fault fault);
  void ClearFaults();
  std::vector<RecordedRequest> Requests();
  // The logged requests whose target ends with |pathEnd|. Other test
  // programs and earlier runs may share the server, so a test looks at its
  // own paths, and at what it added to their log.
  std::vector<RecordedRequest> RequestsFor(const std::string& pathEnd);
  void ClearRequests();

  VendorServer(const VendorServer&) = delete;
  VendorServer& operator=(const VendorServer&) = delete;

 private:
  VendorServer();
  ~VendorServer();

  // Sends one control request; returns the status (0 when the server cannot
  // be reached) and the body in |answer|.
  int Control(const char* method, const std::string& path, const std::string& body,
              std::string* answer = nullptr);

  uint16_t port_ = 0;
  // Natively, when this process started the server.
  int pid_ = -1;
  int lifeline_ = -1;  // write end of the server's stdin
  std::string root_;
};

// Points this process's proxy settings at the server, so that requests for
// the compiled-in vendor host reach it: http_proxy and HTTP_PROXY set,
// no_proxy cleared.
void UseVendorServerAsProxy();

// Bytes that differ from one position to the next, for byte-exact checks.
std::string PatternBytes(size_t size, unsigned seed = 1);

}  // namespace testing_support

#endif  // VALDORINE_TESTS_SUPPORT_VENDOR_SERVER_H
