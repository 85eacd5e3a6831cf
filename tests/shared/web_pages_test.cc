// Opening web pages: the command line of the registered browser, the reading
// of document classes, and (posix) the desktop's opener and the fallback.
#include "install/web_pages.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/errors.h"
#include "platform/registry.h"
#include "support/temp_folder.h"

#ifndef _WIN32
#include <stdlib.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "platform/posix/posix_config.h"
#include "platform/posix/posix_registry.h"
#endif

namespace {

constexpr wchar_t kAddress[] = L"http://www.valdorine.example/eula_en.htm";

TEST(BrowserCommandLineTest, CutsAtTheFirstPlaceholderAndAppendsTheAddress) {
  struct Case {
    const char* name;
    const wchar_t* tmpl;
    std::wstring expected;
  };
  const Case cases[] = {
      {"quoted placeholder", L"\"C:\\Program Files\\Browser\\b.exe\" \"%1\"",
       L"\"C:\\Program Files\\Browser\\b.exe\"  http://www.valdorine.example/eula_en.htm"},
      {"bare placeholder", L"C:\\b.exe -url %1",
       L"C:\\b.exe -url  http://www.valdorine.example/eula_en.htm"},
      {"placeholder touching the program", L"C:\\b.exe %1",
       L"C:\\b.exe  http://www.valdorine.example/eula_en.htm"},
      {"no placeholder", L"\"C:\\b.exe\" -nohome",
       L"\"C:\\b.exe\" -nohome http://www.valdorine.example/eula_en.htm"},
      {"placeholder twice", L"C:\\b.exe %1 -referrer %1",
       L"C:\\b.exe  http://www.valdorine.example/eula_en.htm"},
      {"quoted after bare", L"C:\\b.exe %1 \"%1\"",
       L"C:\\b.exe %1  http://www.valdorine.example/eula_en.htm"},
      {"empty template", L"", L" http://www.valdorine.example/eula_en.htm"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    wchar_t out[260];
    ASSERT_TRUE(install::BuildBrowserCommandLine(c.tmpl, kAddress, out, 260));
    EXPECT_EQ(std::wstring(out), c.expected);
  }
}

TEST(BrowserCommandLineTest, FailsWhenTheCommandLineDoesNotFit) {
  const std::wstring address = kAddress;  // 40 characters
  struct Case {
    const char* name;
    std::wstring tmpl;
    size_t capacity;
    bool fits;
  };
  const Case cases[] = {
      {"template alone too long", std::wstring(300, L'x'), 260, false},
      {"template fits, address does not", std::wstring(250, L'x'), 260, false},
      // The part cut off does not count: only what is kept must fit.
      {"long tail after the placeholder", L"C:\\b.exe %1" + std::wstring(300, L'x'), 400, true},
      {"exactly full", std::wstring(259 - 41, L'x'), 260, true},
      {"one over", std::wstring(260 - 41, L'x'), 260, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    wchar_t out[400];
    EXPECT_EQ(install::BuildBrowserCommandLine(c.tmpl.c_str(), kAddress, out, c.capacity), c.fits);
  }
}

// Document classes written with the platform's registry and read back.
class ClassesRootTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef _WIN32
    platform::posix::SetRegistryFile(temp_.path() / "registry.reg");
#endif
  }
  void TearDown() override {
#ifndef _WIN32
    platform::posix::SetRegistryFile({});
#endif
  }

  static void SetDefault(const wchar_t* key, const std::wstring& value) {
    std::unique_ptr<platform::RegistryKey> created;
    ASSERT_EQ(platform::CreateRegistryKey(platform::RegistryRoot::kClassesRoot, key, L"", &created),
              0u);
    ASSERT_EQ(created->SetString(nullptr, value.c_str()), 0u);
  }

  testing_support::TempFolder temp_;
};

TEST_F(ClassesRootTest, ReadsDefaultValuesCutToTheCallersBuffer) {
  SetDefault(L".valdorinetest", L"Valdorine.TestPage");
  SetDefault(L"Valdorine.TestPage\\shell\\open\\command", L"\"C:\\b.exe\" \"%1\"");
  SetDefault(L".valdorinetest259", std::wstring(259, L'a'));
  SetDefault(L".valdorinetest260", std::wstring(260, L'a'));
  struct Case {
    const wchar_t* key;
    size_t capacity;
    uint32_t result;
    std::wstring value;
  };
  const Case cases[] = {
      {L".valdorinetest", 260, 0, L"Valdorine.TestPage"},
      {L"Valdorine.TestPage\\shell\\open\\command", 260, 0, L"\"C:\\b.exe\" \"%1\""},
      {L".valdorinetest", 10, 0, L"Valdorine"},
      {L".valdorinetest259", 260, 0, std::wstring(259, L'a')},
      {L".valdorinetest260", 260, platform::kErrorMoreData, L""},
      {L".valdorine-missing", 260, platform::kErrorFileNotFound, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key, c.key + std::char_traits<wchar_t>::length(c.key)));
    wchar_t out[300] = L"unchanged";
    EXPECT_EQ(install::ReadClassesRootDefault(c.key, out, c.capacity), c.result);
    if (c.result == 0) {
      EXPECT_EQ(std::wstring(out), c.value);
    }
  }
}

#ifndef _WIN32
// The desktop's opener is replaced by a script that writes down what it was
// given, so no browser starts.
class OpenWebPageTest : public ClassesRootTest {
 protected:
  void SetUp() override {
    ClassesRootTest::SetUp();
    platform::posix::ClearStartedPrograms();
    opened_ = temp_.path() / "opened.txt";
    recorder_ = temp_.path() / "opener.sh";
    std::ofstream(recorder_) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << opened_.string()
                             << ".tmp'\nmv '" << opened_.string() << ".tmp' '" << opened_.string()
                             << "'\n";
    std::filesystem::permissions(recorder_, std::filesystem::perms::owner_all);
  }
  void TearDown() override {
    ::unsetenv("VALDORINE_OPENER");
    ClassesRootTest::TearDown();
  }

  // What the opener was given, once it has run (it is not waited for).
  std::string Opened() {
    for (int i = 0; i < 500 && !std::filesystem::exists(opened_); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(opened_);
    std::string line;
    std::getline(in, line);
    return line;
  }

  std::filesystem::path opened_, recorder_;
};

TEST_F(OpenWebPageTest, TheDesktopOpenerOpensTheAddressAndNothingElseRuns) {
  SetDefault(L".htm", L"htmlfile");
  SetDefault(L"htmlfile\\shell\\open\\command", L"\"C:\\b.exe\" \"%1\"");
  ::setenv("VALDORINE_OPENER", recorder_.c_str(), 1);
  EXPECT_GT(install::OpenWebPage(kAddress, platform::kShowShow), 32);
  EXPECT_EQ(Opened(), "http://www.valdorine.example/eula_en.htm");
  EXPECT_TRUE(platform::posix::StartedPrograms().empty());
}

TEST_F(OpenWebPageTest, WithoutAnOpenerTheRegisteredBrowserIsStarted) {
  struct Case {
    const char* name;
    std::wstring htmClass;  // empty: not registered
    std::wstring command;   // empty: not registered
    std::wstring started;   // empty: nothing started
  };
  const Case cases[] = {
      {"quoted placeholder", L"htmlfile", L"\"C:\\Program Files\\Browser\\b.exe\" \"%1\"",
       L"\"C:\\Program Files\\Browser\\b.exe\"  http://www.valdorine.example/eula_en.htm"},
      {"no placeholder", L"htmlfile", L"C:\\b.exe",
       L"C:\\b.exe http://www.valdorine.example/eula_en.htm"},
      {"no .htm class", L"", L"C:\\b.exe", L""},
      {"no open command", L"htmlfile", L"", L""},
      {"class name too long for the command key", std::wstring(245, L'c'), L"C:\\b.exe", L""},
      {"command line too long", L"htmlfile", L"C:\\" + std::wstring(230, L'b') + L".exe %1", L""},
  };
  ::setenv("VALDORINE_OPENER", (temp_.path() / "no-such-opener").c_str(), 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(temp_.path() / "registry.reg");
    platform::posix::ClearStartedPrograms();
    if (!c.htmClass.empty()) SetDefault(L".htm", c.htmClass);
    const std::wstring classKey = (c.htmClass.empty() ? L"htmlfile" : c.htmClass);
    if (!c.command.empty()) SetDefault((classKey + L"\\shell\\open\\command").c_str(), c.command);

    EXPECT_EQ(install::OpenWebPage(kAddress, platform::kShowShow), 2) << "the shell's result";
    const auto& started = platform::posix::StartedPrograms();
    if (c.started.empty()) {
      EXPECT_TRUE(started.empty());
    } else {
      ASSERT_EQ(started.size(), 1u);
      EXPECT_EQ(started[0].program, L"");
      EXPECT_EQ(started[0].commandLine, c.started);
      EXPECT_EQ(started[0].show, platform::kShowShow);
    }
  }
}
#endif

}  // namespace
