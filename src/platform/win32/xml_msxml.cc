// Win32 only code.
// The XML document model on MSXML 6.0 through COM. Each document initialises
// COM for its own lifetime, so it works on any thread and leaves a thread that
// was already initialised as it found it.
#include "platform/xml.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

// clang-format off
#include "platform/win32/win32.h"
#include <objbase.h>  // needs <windows.h> first
#include <oleauto.h>
#include <msxml2.h>
// clang-format on

#include "platform/win32/com_ptr.h"

namespace platform {
namespace {

using win32::ComPtr;

// The headers of the cross compiler declare these without their values.
constexpr CLSID kClsidDomDocument60 = {
    0x88D96A05, 0xF192, 0x11D4, {0xA6, 0x5F, 0x00, 0x40, 0x96, 0x32, 0x51, 0xE5}};
constexpr IID kIidXmlDomDocument2 = {
    0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID kIidXmlDomElement = {
    0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// CoInitialize for one document's lifetime; undone only when it took effect.
class ComApartment {
 public:
  ComApartment() : result_(::CoInitialize(nullptr)) {}
  ~ComApartment() {
    if (result_ == S_OK) ::CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  HRESULT result_;
};

class BString {
 public:
  explicit BString(const wchar_t* text) : text_(::SysAllocString(text)) {}
  ~BString() { ::SysFreeString(text_); }
  BString(const BString&) = delete;
  BString& operator=(const BString&) = delete;
  BSTR Get() const { return text_; }

 private:
  BSTR text_;
};

// A string variant that owns its BSTR.
class StringVariant {
 public:
  explicit StringVariant(const wchar_t* text) {
    ::VariantInit(&value_);
    value_.vt = VT_BSTR;
    value_.bstrVal = ::SysAllocString(text);
  }
  ~StringVariant() { ::VariantClear(&value_); }
  StringVariant(const StringVariant&) = delete;
  StringVariant& operator=(const StringVariant&) = delete;
  const VARIANT& Get() const { return value_; }

 private:
  VARIANT value_;
};

class MsxmlDocument : public XmlDocument {
 public:
  explicit MsxmlDocument(const wchar_t* path) : path_(path) {}

  // Creates the document object and loads the file.
  XmlLoadResult Load() {
    if (FAILED(::CoCreateInstance(kClsidDomDocument60, nullptr, CLSCTX_INPROC_SERVER,
                                  kIidXmlDomDocument2, document_.ReceiveVoid())) ||
        !document_) {
      return XmlLoadResult::kCannotCreate;
    }
    document_->put_async(VARIANT_FALSE);
    document_->put_validateOnParse(VARIANT_FALSE);
    // Texts are read as written, the one-space placeholders included, and a
    // saved file keeps its line breaks and indentation: the same texts as on
    // every other platform.
    document_->put_preserveWhiteSpace(VARIANT_TRUE);
    // A saved copy comes from disk and is not trusted: no external entities
    // and no DTD, so it can neither read other files nor expand into a bomb.
    // These are MSXML 6's defaults already; said again in case a system
    // changed them. A model without the property keeps its own default.
    document_->put_resolveExternals(VARIANT_FALSE);
    VARIANT prohibit;
    ::VariantInit(&prohibit);
    prohibit.vt = VT_BOOL;
    prohibit.boolVal = VARIANT_TRUE;
    BString property(L"ProhibitDTD");
    document_->setProperty(property.Get(), prohibit);

    StringVariant source(path_.c_str());
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (document_->load(source.Get(), &loaded) != S_OK || loaded != VARIANT_TRUE) {
      return XmlLoadResult::kCannotLoad;
    }
    // Engines that ignore ProhibitDTD (Wine's) still load a DTD; refuse the
    // document afterwards so every engine gives the same answer.
    ComPtr<IXMLDOMDocumentType> doctype;
    if (document_->get_doctype(doctype.Receive()) == S_OK && doctype) {
      return XmlLoadResult::kCannotLoad;
    }
    return XmlLoadResult::kOk;
  }

  Element FindFirstElement(const wchar_t* name) override {
    BString tag(name);
    ComPtr<IXMLDOMNodeList> nodes;
    if (FAILED(document_->getElementsByTagName(tag.Get(), nodes.Receive())) || !nodes) {
      return nullptr;
    }
    ComPtr<IXMLDOMNode> node;
    if (nodes->get_item(0, node.Receive()) != S_OK || !node) return nullptr;
    ComPtr<IXMLDOMElement> element;
    if (FAILED(node->QueryInterface(kIidXmlDomElement, element.ReceiveVoid())) || !element) {
      return nullptr;
    }
    // The document keeps the reference; the caller gets a borrowed pointer.
    elements_.push_back(std::move(element));
    return elements_.back().Get();
  }

  std::wstring GetText(Element element) override {
    BSTR text = nullptr;
    if (FAILED(ElementOf(element)->get_text(&text)) || text == nullptr) return {};
    std::wstring result(text, ::SysStringLen(text));
    ::SysFreeString(text);
    return result;
  }

  void SetText(Element element, const wchar_t* text) override {
    BString value(text);
    ElementOf(element)->put_text(value.Get());
  }

  bool Save() override {
    StringVariant destination(path_.c_str());
    return document_->save(destination.Get()) == S_OK;
  }

 private:
  static IXMLDOMElement* ElementOf(Element element) {
    return static_cast<IXMLDOMElement*>(element);
  }

  // Declared first so that COM stays initialised until every interface below
  // has been released.
  ComApartment apartment_;
  std::wstring path_;
  ComPtr<IXMLDOMDocument2> document_;
  std::vector<ComPtr<IXMLDOMElement>> elements_;
};

}  // namespace

XmlLoadResult LoadXmlDocument(const wchar_t* path, std::unique_ptr<XmlDocument>* document) {
  auto loaded = std::make_unique<MsxmlDocument>(path);
  XmlLoadResult result = loaded->Load();
  if (result == XmlLoadResult::kOk) *document = std::move(loaded);
  return result;
}

}  // namespace platform
