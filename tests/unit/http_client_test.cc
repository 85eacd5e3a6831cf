// The posix HTTP client against the vendor test server, reached as the setup
// reaches the vendor host: through the proxy setting.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/http.h"
#include "support/vendor_server.h"
#include "vendor_host.h"

namespace {

using platform::HttpResponse;
using platform::HttpSession;
using testing_support::Fault;
using testing_support::PatternBytes;
using testing_support::VendorServer;

constexpr uint32_t kStallSecondsForTests = 3;

// Before any session of this process reads it.
const bool stallShortened = [] {
  ::setenv("VALDORINE_HTTP_STALL_SECONDS", std::to_string(kStallSecondsForTests).c_str(), 0);
  return true;
}();

// Another test file of this program may have set it first.
int StallSecondsInForce() {
  return std::atoi(std::getenv("VALDORINE_HTTP_STALL_SECONDS"));
}

std::string VendorHost() {
  std::string host;
  for (const wchar_t* c = VALDORINE_VENDOR_HOST; *c; ++c) host.push_back(static_cast<char>(*c));
  return host;
}

std::wstring Wide(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

std::wstring VendorUrl(const std::string& path) {
  return Wide("http://" + VendorHost() + path);
}

// Reads to the end or the first failure; returns the last Read's result.
// The server's log of one path. Other test programs and earlier runs may
// share the server, so tests look only at their own path, and at what they
// added to its log.
std::vector<testing_support::RecordedRequest> RequestsFor(const std::string& path) {
  std::vector<testing_support::RecordedRequest> matching;
  for (auto& request : VendorServer::Get().Requests()) {
    const std::string& target = request.target;
    if (target.size() >= path.size() &&
        target.compare(target.size() - path.size(), path.size(), path) == 0) {
      matching.push_back(request);
    }
  }
  return matching;
}

uint32_t ReadAll(HttpResponse& response, size_t capacity, std::string* body) {
  std::string block(capacity, '\0');
  for (;;) {
    size_t received = 99999;
    uint32_t error = response.Read(block.data(), capacity, &received);
    if (error != platform::kErrorSuccess) return error;
    EXPECT_LE(received, capacity);
    if (received == 0) return platform::kErrorSuccess;
    body->append(block.data(), received);
  }
}

class HttpClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(stallShortened);
    testing_support::UseVendorServerAsProxy();
    session_ = platform::CreateHttpSession(L"Valdorine");
    ASSERT_NE(nullptr, session_);
  }

  static VendorServer& server() { return VendorServer::Get(); }

  std::unique_ptr<HttpSession> session_;
};

const std::string kPage404 = "<html><body>404 Not Found</body></html>\n";
const std::string kPage500 = "<html><body>500 Internal Server Error</body></html>\n";

enum class Body { kFile, kFirstHalf, kPage404, kPage500, kTarget };

struct Case {
  const char* name;
  Fault fault;
  size_t size;
  uint32_t openError;  // when not 0, Open fails with it
  uint32_t status;
  bool hasLength;
  Body body;           // what the Reads deliver (for failures: a prefix of it)
  uint32_t readError;  // 0: the body ends normally
};

constexpr size_t k5MB = 5 * 1024 * 1024;
constexpr uint32_t kAborted = platform::kErrorInternetConnectionAborted;
constexpr uint32_t kReset = platform::kErrorInternetConnectionReset;

const Case kCases[] = {
    // name               fault                        size  open  status length body     read error
    {"small", Fault::kNone, 1000, 0, 200, true, Body::kFile, 0},
    {"five megabytes", Fault::kNone, k5MB, 0, 200, true, Body::kFile, 0},
    {"empty", Fault::kNone, 0, 0, 200, true, Body::kFile, 0},
    {"404 with length", Fault::kStatus404WithLength, 100, 0, 404, true, Body::kPage404, 0},
    {"404 without length", Fault::kStatus404NoLength, 100, 0, 404, false, Body::kPage404, 0},
    {"500 with length", Fault::kStatus500WithLength, 100, 0, 500, true, Body::kPage500, 0},
    {"500 without length", Fault::kStatus500NoLength, 100, 0, 500, false, Body::kPage500, 0},
    {"no length", Fault::kNoContentLength, 300000, 0, 200, false, Body::kFile, 0},
    {"short body", Fault::kShortBody, 300000, 0, 200, true, Body::kFirstHalf, kAborted},
    {"reset midway", Fault::kResetMidway, 300000, 0, 200, true, Body::kFirstHalf, kReset},
    {"slow drip", Fault::kSlowDrip, 4000, 0, 200, true, Body::kFile, 0},
    {"redirect", Fault::kRedirect, 5000, 0, 200, true, Body::kTarget, 0},
    {"redirect 308", Fault::kRedirect308, 5000, 0, 200, true, Body::kTarget, 0},
    {"redirect loop", Fault::kRedirectLoop, 100, platform::kErrorHttpRedirectFailed, 0, false,
     Body::kFile, 0},
};

TEST_F(HttpClientTest, AnswersOfTheServer) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::string path = std::string("/download/devureruzir/cases/") + c.name + ".bin";
    for (char& ch : path) ch = ch == ' ' ? '_' : ch;
    std::string file = PatternBytes(c.size, static_cast<unsigned>(c.size));
    std::string target = PatternBytes(777, 7);
    server().PutFile(path, file);
    server().PutFile(path + ".target", target);
    server().SetFault(path, c.fault);

    std::unique_ptr<HttpResponse> response;
    uint32_t opened = session_->Open(VendorUrl(path).c_str(), &response);
    if (c.openError != 0) {
      EXPECT_EQ(c.openError, opened);
      EXPECT_EQ(nullptr, response);
      continue;
    }
    ASSERT_EQ(0u, opened);
    ASSERT_NE(nullptr, response);
    EXPECT_EQ(c.status, response->StatusCode());

    std::string expected = c.body == Body::kFile        ? file
                           : c.body == Body::kFirstHalf ? file
                           : c.body == Body::kPage404   ? kPage404
                           : c.body == Body::kPage500   ? kPage500
                                                        : target;
    std::optional<uint32_t> length = response->ContentLength();
    if (c.hasLength) {
      EXPECT_EQ(std::optional<uint32_t>(static_cast<uint32_t>(expected.size())), length);
    } else {
      EXPECT_EQ(std::nullopt, length);
    }

    std::string body;
    uint32_t readResult = ReadAll(*response, platform::kHttpBlockSize, &body);
    EXPECT_EQ(c.readError, readResult);
    if (c.readError == 0) {
      EXPECT_TRUE(body == expected) << "received " << body.size() << " of " << expected.size();
    } else {
      EXPECT_LT(body.size(), expected.size());
      EXPECT_TRUE(expected.compare(0, body.size(), body) == 0) << "not a prefix of the file";
      // After a failure the response stays failed.
      char block[16];
      size_t received = 1;
      EXPECT_EQ(c.readError, response->Read(block, sizeof block, &received));
      EXPECT_EQ(0u, received);
    }
  }
}

TEST_F(HttpClientTest, StalledTransferFailsAfterTheStallTime) {
  const std::string path = "/download/devureruzir/cases/stall.bin";
  server().PutFile(path, PatternBytes(200000));
  server().SetFault(path, Fault::kStall);

  std::unique_ptr<HttpResponse> response;
  ASSERT_EQ(0u, session_->Open(VendorUrl(path).c_str(), &response));
  EXPECT_EQ(std::optional<uint32_t>(200000), response->ContentLength());
  auto start = std::chrono::steady_clock::now();
  std::string body;
  EXPECT_EQ(platform::kErrorInternetTimeout, ReadAll(*response, platform::kHttpBlockSize, &body));
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(100000u, body.size());
  EXPECT_GE(waited, std::chrono::seconds(StallSecondsInForce()) - std::chrono::milliseconds(100));
  EXPECT_LT(waited, std::chrono::seconds(StallSecondsInForce() + 10));
}

TEST_F(HttpClientTest, RequestGoesThroughTheProxyWithTheAgentName) {
  const std::string path = "/download/devureruzir/main/exe/DevureruzIR.exe";
  server().PutFile(path, "MZ");
  const size_t before = RequestsFor(path).size();
  std::unique_ptr<HttpResponse> response;
  ASSERT_EQ(0u, session_->Open(VendorUrl(path).c_str(), &response));
  std::string body;
  EXPECT_EQ(0u, ReadAll(*response, platform::kHttpBlockSize, &body));
  EXPECT_EQ("MZ", body);

  std::vector<testing_support::RecordedRequest> requests = RequestsFor(path);
  ASSERT_EQ(before + 1, requests.size());
  requests.erase(requests.begin(), requests.begin() + static_cast<std::ptrdiff_t>(before));
  EXPECT_EQ("GET", requests[0].method);
  EXPECT_EQ("http://" + VendorHost() + path, requests[0].target);
  EXPECT_EQ("Valdorine", requests[0].userAgent);
}

TEST_F(HttpClientTest, ReadNeverDeliversMoreThanAsked) {
  const std::string path = "/download/devureruzir/cases/blocks.bin";
  const std::string file = PatternBytes(200000, 3);
  server().PutFile(path, file);
  for (size_t capacity :
       {size_t{1}, size_t{7}, size_t{1000}, platform::kHttpBlockSize, size_t{100000}}) {
    SCOPED_TRACE(capacity);
    std::unique_ptr<HttpResponse> response;
    ASSERT_EQ(0u, session_->Open(VendorUrl(path).c_str(), &response));
    std::string body;
    EXPECT_EQ(0u, ReadAll(*response, capacity, &body));  // checks each Read's count
    EXPECT_TRUE(body == file);
  }
}

TEST_F(HttpClientTest, AbandonedResponseDoesNotDisturbTheNext) {
  const std::string big = "/download/devureruzir/cases/abandoned.bin";
  const std::string small = "/download/devureruzir/cases/next.bin";
  server().PutFile(big, PatternBytes(k5MB, 5));
  server().PutFile(small, PatternBytes(3000, 6));

  std::unique_ptr<HttpResponse> response;
  ASSERT_EQ(0u, session_->Open(VendorUrl(big).c_str(), &response));
  char block[platform::kHttpBlockSize];
  size_t received = 0;
  ASSERT_EQ(0u, response->Read(block, sizeof block, &received));
  EXPECT_GT(received, 0u);
  response.reset();  // the caller stopped (keepGoing cleared)

  ASSERT_EQ(0u, session_->Open(VendorUrl(small).c_str(), &response));
  std::string body;
  EXPECT_EQ(0u, ReadAll(*response, platform::kHttpBlockSize, &body));
  EXPECT_TRUE(body == PatternBytes(3000, 6));
}

TEST_F(HttpClientTest, ResponseOutlivingItsSessionStillReads) {
  const std::string path = "/download/devureruzir/cases/outlive.bin";
  server().PutFile(path, PatternBytes(100000, 9));
  std::unique_ptr<HttpResponse> response;
  ASSERT_EQ(0u, session_->Open(VendorUrl(path).c_str(), &response));
  session_.reset();
  std::string body;
  EXPECT_EQ(0u, ReadAll(*response, platform::kHttpBlockSize, &body));
  EXPECT_TRUE(body == PatternBytes(100000, 9));
}

// A port nobody listens on, reached without the proxy.
TEST_F(HttpClientTest, RefusedConnectionFailsTheOpen) {
  int probe = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  ASSERT_EQ(0, ::bind(probe, reinterpret_cast<sockaddr*>(&address), size));
  ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
  ::close(probe);
  ::setenv("no_proxy", "127.0.0.1", 1);

  std::unique_ptr<HttpResponse> response;
  std::wstring url = L"http://127.0.0.1:" + std::to_wstring(ntohs(address.sin_port)) + L"/x";
  EXPECT_EQ(platform::kErrorInternetCannotConnect, session_->Open(url.c_str(), &response));
  EXPECT_EQ(nullptr, response);
  ::unsetenv("no_proxy");
}

TEST(VendorServerTest, ControlCallsAreNotLogged) {
  VendorServer& server = VendorServer::Get();
  ASSERT_NE(0, server.port());
  server.PutFile("/download/control only.bin", "bytes");
  server.SetFault("/download/control only.bin", Fault::kStall);
  server.SetFault("/download/control only.bin", Fault::kNone);
  for (const auto& request : server.Requests()) {
    EXPECT_EQ(std::string::npos, request.target.find("__vendor")) << request.target;
    EXPECT_EQ(std::string::npos, request.target.find("control")) << request.target;
  }
}

}  // namespace
