#include "support/vendor_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <utility>

#include "server/fault_names.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
// winsock2.h brings in windows.h
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

#ifndef _WIN32
namespace {
pid_t serverOwner = -1;
}
#endif

namespace testing_support {
namespace {

static_assert(static_cast<int>(Fault::kRedirect308) + 1 == vendor_server::kFaultCount,
              "the fault table and the enum must match");

#ifdef _WIN32
using Socket = SOCKET;
constexpr Socket kNoSocket = INVALID_SOCKET;
void CloseSocket(Socket s) {
  ::closesocket(s);
}
bool StartSockets() {
  static const bool started = [] {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}
#else
using Socket = int;
constexpr Socket kNoSocket = -1;
void CloseSocket(Socket s) {
  ::close(s);
}
bool StartSockets() {
  return true;
}
#endif

// Control requests never go through a proxy and never use the code under
// test: one short connection each, on a plain socket.
int Exchange(uint16_t port, const std::string& request, std::string* response) {
  if (!StartSockets()) return 0;
  Socket s = ::socket(AF_INET, SOCK_STREAM, 0);
  if (s == kNoSocket) return 0;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    CloseSocket(s);
    return 0;
  }
  size_t sent = 0;
  while (sent < request.size()) {
    int chunk = static_cast<int>(std::min<size_t>(request.size() - sent, 1 << 20));
    auto n = ::send(s, request.data() + sent, chunk, 0);
    if (n <= 0) {
      CloseSocket(s);
      return 0;
    }
    sent += static_cast<size_t>(n);
  }
  response->clear();
  char buffer[8192];
  for (;;) {
    auto n = ::recv(s, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    response->append(buffer, static_cast<size_t>(n));
  }
  CloseSocket(s);
  if (response->compare(0, 9, "HTTP/1.1 ") != 0 || response->size() < 12) return 0;
  return std::atoi(response->c_str() + 9);
}

std::string PercentEncoded(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    if (std::isalnum(c) || std::strchr("/-._~", c)) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  return out;
}

uint16_t PortOfAddress(const char* address) {
  const char* colon = std::strrchr(address, ':');
  return static_cast<uint16_t>(std::atoi(colon ? colon + 1 : address));
}

void SetVariable(const char* name, const char* value) {
#ifdef _WIN32
  // Both the C runtime's copy and the process environment: WinINet and the
  // runtime each read their own.
  _putenv_s(name, value);
  ::SetEnvironmentVariableA(name, *value ? value : nullptr);
#else
  if (*value) {
    ::setenv(name, value, 1);
  } else {
    ::unsetenv(name);
  }
#endif
}

}  // namespace

VendorServer& VendorServer::Get() {
  static VendorServer server;
  return server;
}

VendorServer::VendorServer() {
  if (const char* address = std::getenv("VALDORINE_TEST_SERVER"); address && *address) {
    port_ = PortOfAddress(address);
    return;
  }
#ifdef _WIN32
  ADD_FAILURE() << "VALDORINE_TEST_SERVER is not set: the Wine test run starts the vendor server";
#elif !defined(VALDORINE_VENDOR_SERVER_PATH)
  ADD_FAILURE() << "this build has no vendor_server";
#else
  std::string root = (std::filesystem::temp_directory_path() / "vendor_root_XXXXXX").string();
  if (!::mkdtemp(root.data())) {
    ADD_FAILURE() << "cannot create the server's root folder";
    return;
  }
  root_ = root;
  int input[2], output[2];
  if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0) {
    ADD_FAILURE() << "cannot create pipes for the vendor server";
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
  std::string program = VALDORINE_VENDOR_SERVER_PATH;
  std::vector<char*> argv = {program.data(),
                             const_cast<char*>("--root"),
                             root_.data(),
                             const_cast<char*>("--port"),
                             const_cast<char*>("0"),
                             const_cast<char*>("--exit-with-stdin"),
                             nullptr};
  pid_t pid = -1;
  int error = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(input[0]);
  ::close(output[1]);
  if (error != 0) {
    ::close(input[1]);
    ::close(output[0]);
    ADD_FAILURE() << "cannot start " << program << ": " << std::strerror(error);
    return;
  }
  pid_ = pid;
  lifeline_ = input[1];
  serverOwner = ::getpid();

  std::string line;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    pollfd p{output[0], POLLIN, 0};
    if (::poll(&p, 1, 200) <= 0) continue;
    char chunk[128];
    ssize_t got = ::read(output[0], chunk, sizeof chunk);
    if (got <= 0) break;
    line.append(chunk, static_cast<size_t>(got));
  }
  ::close(output[0]);
  const char kBanner[] = "listening on ";
  size_t at = line.find(kBanner);
  if (at == std::string::npos) {
    ADD_FAILURE() << "the vendor server did not start: " << line;
    return;
  }
  port_ = PortOfAddress(line.substr(at + sizeof kBanner - 1, line.find('\n') - at).c_str());
#endif
}

VendorServer::~VendorServer() {
#ifndef _WIN32
  // A forked child that exits must not take the parent's server along.
  if (::getpid() != serverOwner) return;
  if (pid_ > 0) {
    ::close(lifeline_);
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  if (!root_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
#endif
}

std::string VendorServer::proxy() const {
  return "http://127.0.0.1:" + std::to_string(port_);
}

int VendorServer::Control(const char* method, const std::string& path, const std::string& body,
                          std::string* answer) {
  std::ostringstream request;
  request << method << " " << vendor_server::kControlPrefix << PercentEncoded(path)
          << " HTTP/1.1\r\nHost: 127.0.0.1:" << port_ << "\r\nContent-Length: " << body.size()
          << "\r\nConnection: close\r\n\r\n";
  std::string response;
  int status = Exchange(port_, request.str() + body, &response);
  if (answer) {
    size_t end = response.find("\r\n\r\n");
    *answer = end == std::string::npos ? std::string() : response.substr(end + 4);
  }
  return status;
}

void VendorServer::PutFile(const std::string& urlPath, const std::string& bytes) {
  int status = Control("PUT", "file" + urlPath, bytes);
  EXPECT_EQ(201, status) << "vendor server refused the file " << urlPath;
}

void VendorServer::SetFault(const std::string& urlPath, Fault fault) {
  int status =
      Control("PUT", "fault" + urlPath, vendor_server::kFaultNames[static_cast<int>(fault)]);
  EXPECT_EQ(204, status) << "vendor server refused the fault for " << urlPath;
}

void VendorServer::ClearFaults() {
  EXPECT_EQ(204, Control("POST", "clear-faults", ""));
}

std::vector<RecordedRequest> VendorServer::Requests() {
  std::string text;
  EXPECT_EQ(200, Control("GET", "requests", "", &text));
  std::vector<RecordedRequest> requests;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    RecordedRequest request;
    size_t first = line.find('\t');
    size_t second = first == std::string::npos ? first : line.find('\t', first + 1);
    if (second == std::string::npos) continue;
    request.method = line.substr(0, first);
    request.target = line.substr(first + 1, second - first - 1);
    request.userAgent = line.substr(second + 1);
    requests.push_back(std::move(request));
  }
  return requests;
}

std::vector<RecordedRequest> VendorServer::RequestsFor(const std::string& pathEnd) {
  std::vector<RecordedRequest> matching;
  for (RecordedRequest& request : Requests()) {
    const std::string& target = request.target;
    if (target.size() >= pathEnd.size() &&
        target.compare(target.size() - pathEnd.size(), pathEnd.size(), pathEnd) == 0) {
      matching.push_back(std::move(request));
    }
  }
  return matching;
}

void VendorServer::ClearRequests() {
  EXPECT_EQ(204, Control("POST", "clear-requests", ""));
}

void UseVendorServerAsProxy() {
  std::string proxy = VendorServer::Get().proxy();
  SetVariable("http_proxy", proxy.c_str());
  SetVariable("HTTP_PROXY", proxy.c_str());
  SetVariable("no_proxy", "");
  SetVariable("NO_PROXY", "");
}

std::string PatternBytes(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  uint32_t x = seed * 2654435761u + 1;
  for (size_t i = 0; i < size; ++i) {
    x = x * 1664525u + 1013904223u;
    bytes[i] = static_cast<char>(x >> 24);
  }
  return bytes;
}

}  // namespace testing_support
