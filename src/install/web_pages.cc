// Opening web pages in the user's browser.
#include "install/web_pages.h"

#include <cwchar>
#include <string>

#include "platform/errors.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "setup/bounded_format.h"

namespace install {
namespace {

// The one buffer size of the fallback: class name, key, template, command line.
constexpr size_t kTextCapacity = 260;

}  // namespace

uint32_t ReadClassesRootDefault(const wchar_t* key, wchar_t* output, size_t capacity) {
  std::wstring value;
  if (uint32_t error =
          platform::ReadRegistryDefault(platform::RegistryRoot::kClassesRoot, key, &value)) {
    return error;
  }
  // The value is read through a buffer of 260 characters; a longer one fails
  // as the system's read into that buffer would.
  if (value.size() + 1 > kTextCapacity) return platform::kErrorMoreData;
  setup::FormatBounded(output, capacity, L"%s", value);
  return 0;
}

bool BuildBrowserCommandLine(const wchar_t* tmpl, const wchar_t* address, wchar_t* out,
                             size_t capacity) {
  if (setup::FormatBounded(out, capacity, L"%s", tmpl) != setup::kFormatOk) return false;
  wchar_t* placeholder = std::wcsstr(out, L"\"%1\"");
  if (!placeholder) placeholder = std::wcsstr(out, L"%1");
  if (placeholder) *placeholder = L'\0';
  return setup::AppendBounded(out, capacity, L" ") == setup::kFormatOk &&
         setup::AppendBounded(out, capacity, address) == setup::kFormatOk;
}

intptr_t OpenWebPage(const wchar_t* address, int showCommand) {
  const intptr_t shellResult = platform::ShellOpen(address, showCommand);
  if (shellResult > 32) return shellResult;

  // Fallback: the program registered to open ".htm" documents, given the
  // address on its command line.
  wchar_t text[kTextCapacity];
  if (ReadClassesRootDefault(L".htm", text, kTextCapacity) != 0) return shellResult;
  if (setup::AppendBounded(text, kTextCapacity, L"\\shell\\open\\command") != setup::kFormatOk)
    return shellResult;
  wchar_t commandTemplate[kTextCapacity];
  if (ReadClassesRootDefault(text, commandTemplate, kTextCapacity) != 0) return shellResult;
  if (!BuildBrowserCommandLine(commandTemplate, address, text, kTextCapacity)) return shellResult;
  // Started and left running: waiting for the browser to end would freeze the
  // setup's window for as long as the page stays open.
  platform::StartProgram(nullptr, text, nullptr, platform::kShowShow);
  return shellResult;
}

}  // namespace install
