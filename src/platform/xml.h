// An XML document object model: load, find elements by name, read and replace
// their text, save in place.
#ifndef VALDORINE_PLATFORM_XML_H
#define VALDORINE_PLATFORM_XML_H

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class XmlDocument {
 public:
  virtual ~XmlDocument() = default;

  // An element of the document; valid while the document lives.
  using Element = void*;

  // The first element named |name| anywhere in the document, in document
  // order, or null.
  virtual Element FindFirstElement(const wchar_t* name) = 0;

  // The element's text content.
  virtual std::wstring GetText(Element element) = 0;

  // Replaces the element's content by |text|.
  virtual void SetText(Element element, const wchar_t* text) = 0;

  // Saves the document to the path it was loaded from, in UTF-8 with its
  // declaration, comments, element and attribute order intact. Returns true
  // on success.
  virtual bool Save() = 0;
};

enum class XmlLoadResult { kOk, kCannotCreate, kCannotLoad };

// Loads |path|. kCannotCreate when the document object itself is missing,
// kCannotLoad for a missing or ill-formed file. External entities are never
// resolved and DTDs never expanded.
XmlLoadResult LoadXmlDocument(const wchar_t* path, std::unique_ptr<XmlDocument>* document);

}  // namespace platform

#endif  // VALDORINE_PLATFORM_XML_H
