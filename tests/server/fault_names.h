// The names by which the vendor test server and its test client agree on a
// fault. Plain C++: the client side is built for Windows too.
#ifndef VALDORINE_TESTS_SERVER_FAULT_NAMES_H
#define VALDORINE_TESTS_SERVER_FAULT_NAMES_H

namespace vendor_server {

// Control requests live below this prefix; they are not logged.
inline constexpr const char kControlPrefix[] = "/__vendor/";

// One row per fault, in the order of testing_support::Fault.
inline constexpr const char* kFaultNames[] = {
    "none",             // serve the file
    "404-with-length",  // 404, small page with Content-Length
    "404-no-length",    // 404, small page delimited by close
    "500-with-length",  // 500, small page with Content-Length
    "500-no-length",    // 500, small page delimited by close
    "no-length",        // 200, the file delimited by close
    "short-body",       // 200, full Content-Length, half the file, close
    "reset-midway",     // 200, full Content-Length, half the file, RST
    "slow-drip",        // 200, the file in small chunks with pauses
    "stall",            // 200, full Content-Length, half the file, silence
    "redirect",         // 302 to the same path + ".target"
    "redirect-loop",    // 302 to itself
    "redirect-308",     // 308 to the same path + ".target"
};

inline constexpr int kFaultCount = sizeof(kFaultNames) / sizeof(kFaultNames[0]);

// The suffix of the path a redirect points to.
inline constexpr const char kRedirectSuffix[] = ".target";

}  // namespace vendor_server

#endif  // VALDORINE_TESTS_SERVER_FAULT_NAMES_H
