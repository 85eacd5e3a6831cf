#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "platform/posix/posix_paths.h"
#include "platform/xml.h"
#include "support/temp_folder.h"

namespace platform {
namespace {

// A settings-like file with everything the model must keep as it is: CR LF,
// tabs, the declaration, comments, a processing instruction, one-space and
// empty texts, CR LF between top-level nodes. (An element written "<a/>"
// comes back as "<a></a>", the form the settings file uses for every element.)
constexpr std::string_view kFile =
    "<?xml version=\"1.0\"?>\r\n"
    "<!-- Fichier Ini de Valdorine -->\r\n"
    "<?product keep=\"me\"?>\r\n"
    "<ValdorineIni>\r\n"
    "\t<Misc>\r\n"
    "\t\t<Language>1</Language>\r\n"
    "\t\t<CSIDL_Start></CSIDL_Start>\r\n"
    "\t</Misc>\r\n"
    "\t<Paths>\r\n"
    "\t\t<GMicPath> </GMicPath>\r\n"
    "\t\t<TempPath>C:\\R&amp;D\\Temp</TempPath>\r\n"
    "\t</Paths>\r\n"
    "</ValdorineIni>\r\n"
    "<!-- end -->\r\n";

class PugiXmlTest : public ::testing::Test {
 protected:
  void SetUp() override { posix::SetDriveFolder(L'C', temp_.path()); }
  void TearDown() override { posix::ClearDrives(); }

  void Write(std::string_view bytes) {
    std::ofstream out(temp_.path() / "file.xml", std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  std::string Read() {
    std::ifstream in(temp_.path() / "file.xml", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  XmlLoadResult Load(std::unique_ptr<XmlDocument>* document) {
    return LoadXmlDocument(L"C:\\file.xml", document);
  }
  std::unique_ptr<XmlDocument> MustLoad() {
    std::unique_ptr<XmlDocument> document;
    EXPECT_EQ(Load(&document), XmlLoadResult::kOk);
    return document;
  }

  testing_support::TempFolder temp_;
};

TEST_F(PugiXmlTest, SavingUnchangedKeepsEveryByte) {
  Write(kFile);
  std::unique_ptr<XmlDocument> document = MustLoad();
  ASSERT_TRUE(document);
  ASSERT_TRUE(document->Save());
  EXPECT_EQ(Read(), kFile);
}

TEST_F(PugiXmlTest, ReplacedTextsAreTheOnlyChange) {
  Write(kFile);
  std::unique_ptr<XmlDocument> document = MustLoad();
  ASSERT_TRUE(document);
  document->SetText(document->FindFirstElement(L"CSIDL_Start"), L"0");
  document->SetText(document->FindFirstElement(L"Language"), L"");
  document->SetText(document->FindFirstElement(L"GMicPath"), L"<\u00e9&>");
  ASSERT_TRUE(document->Save());

  std::string expected(kFile);
  auto replace = [&expected](std::string_view from, std::string_view to) {
    expected.replace(expected.find(from), from.size(), to);
  };
  replace("<Language>1</Language>", "<Language></Language>");
  replace("<CSIDL_Start></CSIDL_Start>", "<CSIDL_Start>0</CSIDL_Start>");
  replace("<GMicPath> </GMicPath>", "<GMicPath>&lt;\xC3\xA9&amp;&gt;</GMicPath>");
  EXPECT_EQ(Read(), expected);
}

TEST_F(PugiXmlTest, TextsReadAsWritten) {
  Write(kFile);
  std::unique_ptr<XmlDocument> document = MustLoad();
  ASSERT_TRUE(document);
  struct Case {
    const wchar_t* name;
    std::wstring text;
  };
  const Case cases[] = {
      {L"Language", L"1"},
      {L"CSIDL_Start", L""},
      {L"GMicPath", L" "},
      {L"TempPath", L"C:\\R&D\\Temp"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(posix::ToUtf8(c.name));
    XmlDocument::Element element = document->FindFirstElement(c.name);
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(document->GetText(element), c.text);
  }
  // Names are matched exactly, as XML names are.
  EXPECT_EQ(document->FindFirstElement(L"language"), nullptr);
  EXPECT_EQ(document->FindFirstElement(L"Missing"), nullptr);
}

TEST_F(PugiXmlTest, FirstElementInDocumentOrderWithAllItsText) {
  Write(
      "<r><a><deep><x>1</x></deep></a><x>2</x>"
      "<t>one<![CDATA[ <two> ]]><b>three</b></t></r>");
  std::unique_ptr<XmlDocument> document = MustLoad();
  ASSERT_TRUE(document);
  EXPECT_EQ(document->GetText(document->FindFirstElement(L"x")), L"1");
  EXPECT_EQ(document->GetText(document->FindFirstElement(L"t")), L"one <two> three");
}

TEST_F(PugiXmlTest, ByteOrderMarkAndOtherEncodingsAreSavedAsPlainUtf8) {
  Write("\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<r>\xC3\xA9</r>\r\n");
  std::unique_ptr<XmlDocument> document = MustLoad();
  ASSERT_TRUE(document);
  EXPECT_EQ(document->GetText(document->FindFirstElement(L"r")), L"\u00e9");
  ASSERT_TRUE(document->Save());
  EXPECT_EQ(Read(), "<?xml version=\"1.0\"?>\r\n<r>\xC3\xA9</r>\r\n");

  Write("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<r>\xE9</r>\r\n");
  document = MustLoad();
  ASSERT_TRUE(document);
  EXPECT_EQ(document->GetText(document->FindFirstElement(L"r")), L"\u00e9");
  ASSERT_TRUE(document->Save());
  EXPECT_EQ(Read(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<r>\xC3\xA9</r>\r\n");
}

TEST_F(PugiXmlTest, AnythingButOneWellFormedDocumentFailsToLoad) {
  struct Case {
    const char* name;
    std::string text;
  };
  const Case cases[] = {
      {"empty", ""},
      {"white space", " \r\n"},
      {"text", "Language=1"},
      {"truncated in an element", std::string(kFile.substr(0, 120))},
      {"truncated in a tag", std::string(kFile.substr(0, kFile.find("</Misc>") + 3))},
      {"truncated before the root closes", std::string(kFile.substr(0, kFile.rfind("</Val")))},
      {"two roots", "<a/>\r\n<b/>\r\n"},
      {"text after the root", "<a/>tail"},
      {"CDATA after the root", "<a/><![CDATA[x]]>"},
      {"mismatched tags", "<a><b></a></b>"},
      {"declaration not first", "<!-- c -->\r\n<?xml version=\"1.0\"?>\r\n<a/>"},
      {"document type", "<!DOCTYPE a [<!ENTITY e \"x\">]>\r\n<a>&e;</a>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Write(c.text);
    std::unique_ptr<XmlDocument> document;
    EXPECT_EQ(Load(&document), XmlLoadResult::kCannotLoad);
    EXPECT_EQ(document, nullptr);
  }
  std::unique_ptr<XmlDocument> document;
  EXPECT_EQ(LoadXmlDocument(L"C:\\missing.xml", &document), XmlLoadResult::kCannotLoad);
}

TEST_F(PugiXmlTest, SaveIntoAVanishedFolderFailsWithoutAPartialFile) {
  std::filesystem::create_directory(temp_.path() / "sub");
  {
    std::ofstream out(temp_.path() / "sub" / "file.xml", std::ios::binary);
    out << "<a>1</a>";
  }
  std::unique_ptr<XmlDocument> document;
  ASSERT_EQ(LoadXmlDocument(L"C:\\sub\\file.xml", &document), XmlLoadResult::kOk);
  std::filesystem::remove_all(temp_.path() / "sub");
  EXPECT_FALSE(document->Save());
  EXPECT_FALSE(std::filesystem::exists(temp_.path() / "sub"));
}

}  // namespace
}  // namespace platform
