// POSIX only code.
// The XML document model on pugixml. A file is loaded and saved so that
// everything but the texts that were replaced stays byte for byte as it was:
// line ends, indentation, declaration and comments included.
#include <cstring>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <utility>

#include "platform/files.h"
#include "platform/posix/posix_paths.h"
#include "platform/xml.h"

namespace platform {
namespace {

// No parse_eol: CR LF stays CR LF. parse_ws_pcdata keeps one-space texts and
// the line breaks between elements; parse_fragment keeps those between
// top-level nodes too (the single-root rule is checked after parsing).
// parse_doctype keeps a DOCTYPE as an opaque node so it can be refused:
// pugixml never expands entities, but a DTD has no place in these files.
constexpr unsigned kParseFlags = pugi::parse_declaration | pugi::parse_comments | pugi::parse_pi |
                                 pugi::parse_doctype | pugi::parse_cdata | pugi::parse_escapes |
                                 pugi::parse_ws_pcdata | pugi::parse_fragment;

// The declaration is a node of the tree and is written as such, once.
constexpr unsigned kFormatFlags =
    pugi::format_raw | pugi::format_no_empty_element_tags | pugi::format_no_declaration;

bool IsBlank(const char* text) {
  for (; *text != '\0'; ++text) {
    if (std::strchr(" \t\r\n", *text) == nullptr) return false;
  }
  return true;
}

// A document, not a fragment: an optional leading declaration, exactly one
// root element, and around it only comments, processing instructions and
// white space. A truncated or concatenated file fails here.
bool IsWellFormedDocument(const pugi::xml_document& document) {
  int elements = 0;
  for (pugi::xml_node node = document.first_child(); node; node = node.next_sibling()) {
    switch (node.type()) {
      case pugi::node_element:
        ++elements;
        break;
      case pugi::node_declaration:
        if (node != document.first_child()) return false;
        break;
      case pugi::node_comment:
      case pugi::node_pi:
        break;
      case pugi::node_pcdata:
        if (!IsBlank(node.value())) return false;
        break;
      default:
        return false;  // DOCTYPE, CDATA
    }
  }
  return elements == 1;
}

class StringWriter : public pugi::xml_writer {
 public:
  void write(const void* data, size_t size) override {
    text.append(static_cast<const char*>(data), size);
  }
  std::string text;
};

void AppendText(pugi::xml_node node, std::string* text) {
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
      *text += child.value();
    } else if (child.type() == pugi::node_element) {
      AppendText(child, text);
    }
  }
}

class PugiDocument : public XmlDocument {
 public:
  explicit PugiDocument(std::wstring path) : path_(std::move(path)) {}

  pugi::xml_document& document() { return document_; }

  Element FindFirstElement(const wchar_t* name) override {
    const std::string wanted = posix::ToUtf8(name);
    pugi::xml_node found = document_.find_node([&wanted](pugi::xml_node node) {
      return node.type() == pugi::node_element && wanted == node.name();
    });
    return found.internal_object();
  }

  std::wstring GetText(Element element) override {
    std::string text;
    AppendText(NodeOf(element), &text);
    return posix::FromUtf8(text);
  }

  void SetText(Element element, const wchar_t* text) override {
    pugi::xml_node node = NodeOf(element);
    node.remove_children();
    if (text != nullptr && *text != L'\0') {
      node.append_child(pugi::node_pcdata).set_value(posix::ToUtf8(text).c_str());
    }
  }

  bool Save() override {
    // The text is written in UTF-8 whatever it was read in; a declaration
    // naming another encoding would then lie.
    pugi::xml_node declaration = document_.first_child();
    if (declaration.type() == pugi::node_declaration) {
      if (pugi::xml_attribute encoding = declaration.attribute("encoding")) {
        encoding.set_value("UTF-8");
      }
    }
    StringWriter writer;
    document_.save(writer, "", kFormatFlags, pugi::encoding_utf8);
    std::unique_ptr<OutputFile> file;
    if (CreateOutputFile(path_.c_str(), &file) != 0) return false;
    if (file->Write(writer.text.data(), writer.text.size()) != 0) return false;
    return file->Commit() == 0;
  }

 private:
  static pugi::xml_node NodeOf(Element element) {
    return pugi::xml_node(static_cast<pugi::xml_node_struct*>(element));
  }

  std::wstring path_;
  pugi::xml_document document_;
};

}  // namespace

XmlLoadResult LoadXmlDocument(const wchar_t* path, std::unique_ptr<XmlDocument>* document) {
  std::string bytes;
  if (ReadWholeFile(path, &bytes) != 0) return XmlLoadResult::kCannotLoad;
  auto loaded = std::make_unique<PugiDocument>(path);
  pugi::xml_parse_result result =
      loaded->document().load_buffer(bytes.data(), bytes.size(), kParseFlags, pugi::encoding_auto);
  if (!result || !IsWellFormedDocument(loaded->document())) return XmlLoadResult::kCannotLoad;
  *document = std::move(loaded);
  return XmlLoadResult::kOk;
}

}  // namespace platform
