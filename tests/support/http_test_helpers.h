// What the HTTP client and download tests share about reaching the vendor
// test server as the setup reaches the vendor host: through the proxy
// setting, by the compiled-in host name.
#ifndef VALDORINE_TESTS_SUPPORT_HTTP_TEST_HELPERS_H
#define VALDORINE_TESTS_SUPPORT_HTTP_TEST_HELPERS_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/http.h"

namespace testing_support {

// ASCII text, one wide character for each byte.
std::wstring Widen(const std::string& text);

// The compiled-in vendor host, as ASCII.
std::string VendorHost();
// "http://<vendor host><path>": the vendor test server, through the proxy.
std::wstring VendorUrl(const std::string& path);

// A URL path of the running test alone, below "/download/devureruzir/<area>/":
// the run's start time and the test's name keep tests from sharing a served
// file and a client's internet cache from answering in the server's place.
// Spaces become underscores.
std::string TestPath(const std::string& area, const std::string& name);

// Sets VALDORINE_HTTP_STALL_SECONDS to |seconds| unless it is set already
// (by the caller's environment or another test file of this program). Call
// it before any session of the process reads the variable. Returns true.
bool ShortenHttpStall(unsigned seconds);
// The stall time this process's sessions use, in seconds (60 when unset).
unsigned HttpStallSecondsInForce();

// True when this Windows program runs under Wine; false natively.
bool RunningUnderWine();

// Reads |response| to its end or its first failure in blocks of |capacity|,
// appending what arrives to |body|; fails the test (not fatally) when a Read
// delivers more than asked. Returns the last Read's result.
uint32_t ReadAll(platform::HttpResponse& response, size_t capacity, std::string* body);

}  // namespace testing_support

#endif  // VALDORINE_TESTS_SUPPORT_HTTP_TEST_HELPERS_H
