#include "config/initialization_files.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "config/initialization_templates.h"
#include "config/settings_carry_over.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/window.h"
#include "setup/bounded_format.h"
#include "setup/setup_state.h"

namespace config {
namespace {

constexpr size_t kMessageCapacity = 1024;

void AppendUtf8(uint32_t code, std::string* out) {
  if (code < 0x80) {
    out->push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (code >> 6)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (code >> 12)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (code >> 18)));
    out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

bool IsHighSurrogate(uint32_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(uint32_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}
constexpr uint32_t kReplacementCharacter = 0xFFFD;

// Folder names may hold characters that are markup in XML ("R&D"); written
// raw they would make the file unreadable for the product.
std::string EscapeForXml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// The Temp folder below the install folder, from the root of whatever drive
// the portable installation runs from: "E:\Valdorine" gives "\Valdorine\Temp",
// "E:\" gives "\Temp".
void StoreDriveLessTempPath() {
  const wchar_t* folder = setup::state.installFolder;
  const wchar_t drive = static_cast<wchar_t>(folder[0] & ~0x20);
  if (drive >= L'A' && drive <= L'Z' && folder[1] == L':') folder += 2;
  std::wstring_view rest(folder);
  const wchar_t* format = (!rest.empty() && rest.back() == L'\\') ? L"%sTemp" : L"%s\\Temp";
  setup::FormatInto(setup::state.tempFolder, format, folder);
}

// The path of |fileName| in the cache folder. False when it does not fit the
// path buffer: a cut name would be a different file.
bool CachePath(const wchar_t* fileName, wchar_t (&path)[setup::kPathCapacity]) {
  return setup::FormatInto(path, L"%s\\%s", setup::state.cacheFolder, fileName) == setup::kFormatOk;
}

void ReportFailure(const wchar_t* fileName, uint32_t error) {
  // The message names the whole path even when it did not fit a path buffer.
  std::wstring path = std::wstring(setup::state.cacheFolder) + L"\\" + fileName;
  wchar_t text[kMessageCapacity];
  setup::FormatInto(text, L"Could not create the initialization file %s!\nError: %d\nAborting.",
                    path, static_cast<int>(error));
  setup::state.instance->ShowMessage(nullptr, text, L"Valdorine", platform::MessageIcon::kError);
}

// Writes the template pieces with |values| between them. The file appears
// under its name only once complete. Returns 0 or the system error code.
uint32_t WriteTemplate(const wchar_t* path, const TemplatePieces& pieces,
                       std::initializer_list<std::string_view> values) {
  std::unique_ptr<platform::OutputFile> file;
  if (uint32_t error = platform::CreateOutputFile(path, &file)) return error;
  auto value = values.begin();
  for (const std::string& piece : pieces) {
    if (uint32_t error = file->Write(piece.data(), piece.size())) return error;
    if (value != values.end()) {
      if (uint32_t error = file->Write(value->data(), value->size())) return error;
      ++value;
    }
  }
  return file->Commit();
}

// Creates one file, reporting a failure. Returns false after a failure.
bool WriteCacheFile(const wchar_t* fileName, const TemplatePieces& pieces,
                    std::initializer_list<std::string_view> values) {
  wchar_t path[setup::kPathCapacity];
  uint32_t error = CachePath(fileName, path) ? WriteTemplate(path, pieces, values)
                                             : platform::kErrorFilenameExcedRange;
  if (error != 0) ReportFailure(fileName, error);
  return error == 0;
}

}  // namespace

std::string ToUtf8(const wchar_t* text) {
  std::string out;
  if (text == nullptr) return out;
  for (const wchar_t* p = text; *p != L'\0'; ++p) {
    uint32_t code = static_cast<uint32_t>(*p);
    if constexpr (sizeof(wchar_t) == 2) {
      code &= 0xFFFF;
      if (IsHighSurrogate(code) && IsLowSurrogate(static_cast<uint16_t>(p[1]))) {
        code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<uint16_t>(p[1]) - 0xDC00);
        ++p;
      } else if (IsHighSurrogate(code) || IsLowSurrogate(code)) {
        code = kReplacementCharacter;
      }
    } else if (IsHighSurrogate(code) || IsLowSurrogate(code) || code > 0x10FFFF) {
      code = kReplacementCharacter;
    }
    AppendUtf8(code, &out);
  }
  return out;
}

int WriteInitializationFiles(int portable) {
  const std::string start = EscapeForXml(ToUtf8(setup::state.startFolder));
  if (portable) StoreDriveLessTempPath();
  const std::string temp = EscapeForXml(ToUtf8(setup::state.tempFolder));

  if (!WriteCacheFile(L"Valdorine.xml", MainFileTemplate(), {start})) return 0;

  wchar_t settingsPath[setup::kPathCapacity];
  wchar_t savedPath[setup::kPathCapacity];
  bool carryOver = false;
  if (CachePath(L"ValdorineIni.xml", settingsPath) && platform::PathExists(settingsPath)) {
    // Without a copy under its real name the earlier settings would be lost
    // when the fresh file replaces them, so a name that does not fit stops here.
    if (!CachePath(L"ValdorineIni_sav.xml", savedPath)) {
      ReportFailure(L"ValdorineIni_sav.xml", platform::kErrorFilenameExcedRange);
      return 0;
    }
    // The copy is all that keeps the user's settings once the fresh file is
    // written: without it, the settings file is left as it is.
    if (uint32_t error = platform::CopyFileReplacing(settingsPath, savedPath)) {
      ReportFailure(L"ValdorineIni_sav.xml", error);
      return 0;
    }
    carryOver = true;
  }

  const std::string_view flag = portable ? "1" : "0";
  if (!WriteCacheFile(L"ValdorineIni.xml", SettingsFileTemplate(), {flag, start, start, temp})) {
    return 0;
  }
  if (carryOver) CarryOverSettings(settingsPath, savedPath);
  return 1;
}

}  // namespace config
