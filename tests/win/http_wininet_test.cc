// The WinINet HTTP client against the vendor test server that the test run
// started on the host, reached through the proxy setting as the vendor host.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
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
  wchar_t existing[16];
  if (::GetEnvironmentVariableW(L"VALDORINE_HTTP_STALL_SECONDS", existing, 16) == 0) {
    ::SetEnvironmentVariableW(L"VALDORINE_HTTP_STALL_SECONDS",
                              std::to_wstring(kStallSecondsForTests).c_str());
  }
  return true;
}();

std::string VendorHost() {
  std::string host;
  for (const wchar_t* c = VALDORINE_VENDOR_HOST; *c; ++c) host.push_back(static_cast<char>(*c));
  return host;
}

std::wstring VendorUrl(const std::string& path) {
  std::string url = "http://" + VendorHost() + path;
  return std::wstring(url.begin(), url.end());
}

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

class WinInetClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(stallShortened);
    testing_support::UseVendorServerAsProxy();
    session_ = platform::CreateHttpSession(L"Valdorine");
    ASSERT_NE(nullptr, session_);
  }

  static VendorServer& server() { return VendorServer::Get(); }

  // Every test asks for paths of its own: the internet cache must never
  // answer for the server.
  std::string PathFor(const std::string& name) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string path = std::string("/download/devureruzir/wine/") + info->name() + "/" + name;
    for (char& c : path) c = c == ' ' ? '_' : c;
    return path;
  }

  std::unique_ptr<HttpSession> session_;
};

const std::string kPage404 = "<html><body>404 Not Found</body></html>\n";

enum class Body { kFile, kFirstHalf, kPage404, kTarget };

struct Case {
  const char* name;
  Fault fault;
  size_t size;
  uint32_t openError;  // when not 0, Open fails with it
  uint32_t status;
  bool hasLength;
  Body body;
  uint32_t readError;  // 0: the body ends normally
};

constexpr size_t k5MB = 5 * 1024 * 1024;

const Case kCases[] = {
    {"small", Fault::kNone, 1000, 0, 200, true, Body::kFile, 0},
    {"five megabytes", Fault::kNone, k5MB, 0, 200, true, Body::kFile, 0},
    {"404 with length", Fault::kStatus404WithLength, 100, 0, 404, true, Body::kPage404, 0},
    {"404 without length", Fault::kStatus404NoLength, 100, 0, 404, false, Body::kPage404, 0},
    {"no length", Fault::kNoContentLength, 300000, 0, 200, false, Body::kFile, 0},
    {"short body", Fault::kShortBody, 300000, 0, 200, true, Body::kFirstHalf,
     platform::kErrorInternetConnectionAborted},
    {"reset midway", Fault::kResetMidway, 300000, 0, 200, true, Body::kFirstHalf,
     platform::kErrorInternetConnectionReset},
    {"slow drip", Fault::kSlowDrip, 4000, 0, 200, true, Body::kFile, 0},
    {"redirect", Fault::kRedirect, 5000, 0, 200, true, Body::kTarget, 0},
    // Wine's WinINet does not follow 308; the unfollowed redirect fails.
    // (No redirect loop here: Wine's WinINet follows one without end.)
    {"redirect 308", Fault::kRedirect308, 5000, platform::kErrorHttpRedirectFailed, 0, false,
     Body::kFile, 0},
};

TEST_F(WinInetClientTest, AnswersOfTheServer) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::string path = PathFor(std::string(c.name) + ".bin");
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

    std::string expected = c.body == Body::kPage404  ? kPage404
                           : c.body == Body::kTarget ? target
                                                     : file;
    if (c.hasLength) {
      EXPECT_EQ(std::optional<uint32_t>(static_cast<uint32_t>(expected.size())),
                response->ContentLength());
    } else {
      EXPECT_EQ(std::nullopt, response->ContentLength());
    }

    std::string body;
    uint32_t readResult = ReadAll(*response, platform::kHttpBlockSize, &body);
    if (c.readError == 0) {
      EXPECT_EQ(0u, readResult);
      EXPECT_TRUE(body == expected) << "received " << body.size() << " of " << expected.size();
    } else {
      EXPECT_EQ(c.readError, readResult) << "a cut body must not pass for a whole one";
      EXPECT_LT(body.size(), expected.size());
      EXPECT_TRUE(expected.compare(0, body.size(), body) == 0) << "not a prefix of the file";
    }
  }
}

bool RunningUnderWine() {
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

TEST_F(WinInetClientTest, StalledTransferFailsAfterTheStallTime) {
  if (RunningUnderWine()) {
    // Wine 8 applies a receive time-out only when the request's connection
    // is made, and InternetOpenUrlW offers no moment to set one before.
    GTEST_SKIP() << "Wine's WinINet never times out a stalled read";
  }
  const std::string path = PathFor("stall.bin");
  server().PutFile(path, PatternBytes(200000));
  server().SetFault(path, Fault::kStall);

  std::unique_ptr<HttpResponse> response;
  ASSERT_EQ(0u, session_->Open(VendorUrl(path).c_str(), &response));
  auto start = std::chrono::steady_clock::now();
  std::string body;
  EXPECT_NE(0u, ReadAll(*response, platform::kHttpBlockSize, &body));
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(100000u, body.size());
  wchar_t inForce[16] = L"60";
  ::GetEnvironmentVariableW(L"VALDORINE_HTTP_STALL_SECONDS", inForce, 16);
  EXPECT_LT(waited, std::chrono::seconds(_wtoi(inForce) + 10));
}

TEST_F(WinInetClientTest, RequestGoesThroughTheProxyWithTheAgentName) {
  const std::string path = PathFor("DevureruzIR.exe");
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
  // Wine names the default port in the absolute form; Windows does not.
  std::string target = requests[0].target;
  std::string port = "http://" + VendorHost() + ":80/";
  if (target.compare(0, port.size(), port) == 0) target.erase(port.size() - 4, 3);
  EXPECT_EQ("http://" + VendorHost() + path, target);
  EXPECT_EQ("Valdorine", requests[0].userAgent);
}

}  // namespace
