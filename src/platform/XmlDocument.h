#pragma once
// XML document access over pugixml, in the two styles the documents use:
// positional (children of the root read by position) and named (elements
// found by name, rows by position, values in attributes).
//
// Loading keeps comments and processing instructions inside the tree (a
// positional reader counts them as children), drops text that holds only
// whitespace between elements, and leaves out the XML declaration unless
// asked for. Saving writes no declaration and no indentation, UTF-8, and
// replaces the file atomically.
//
// A document must be well-formed: besides what the parser refuses, a second
// top-level element, text outside the root element, an attribute written
// twice on one element and a reference to character 0 (which would cut a
// value short without a word) make it a document that does not parse.

#include <pugixml.hpp>

#include <cstddef>
#include <string>
#include <string_view>

namespace c2c {

enum class Declaration { Drop, Keep };

// The outcome of a load: success, or where and why the document fails.
struct XmlLoad {
    bool ok = false;
    std::ptrdiff_t offset = 0; // byte of the text where the fault lies
    std::string description;
    explicit operator bool() const { return ok; }
};

// Parses `path` into `document` (cleared first). A file that cannot be read
// (see ReadWholeFile) or does not parse leaves an empty document and a
// failed result.
XmlLoad LoadXmlFile(pugi::xml_document& document, const std::string& path,
                    Declaration declaration = Declaration::Drop);

// Parses a text, with the same options and checks as LoadXmlFile.
XmlLoad LoadXmlString(pugi::xml_document& document, std::string_view text,
                      Declaration declaration = Declaration::Drop);

// Like LoadXmlString, but a failure is an Error naming `name` (the file the
// text comes from) and the reason: "Error in file "NAME" at byte N: WHY".
void LoadXmlStringOrThrow(pugi::xml_document& document, std::string_view text, const std::string& name,
                          Declaration declaration = Declaration::Drop);

// Like LoadXmlFile, but a failure is an Error naming the file and the reason.
void LoadXmlFileOrThrow(pugi::xml_document& document, const std::string& path,
                        Declaration declaration = Declaration::Drop);

// The document as written to disk: no declaration, no indentation, UTF-8.
std::string XmlToString(const pugi::xml_document& document);

// Writes the document to `path`, replacing the file atomically.
// Throws Error when the file cannot be written; the old file is kept then.
void SaveXmlFile(const pugi::xml_document& document, const std::string& path);

// The root element; Error("The document has no root element") when none.
pugi::xml_node DocumentElement(const pugi::xml_document& document);

// Child number `position` (from 0) of `parent`, counting every node kind
// (elements, comments, processing instructions, text). Error when missing.
pugi::xml_node ChildAt(pugi::xml_node parent, std::size_t position);

// Number of children of `parent`, of every node kind.
std::size_t ChildCount(pugi::xml_node parent);

// Text content of a node: for an element, the text of all its descendant
// text and CDATA nodes in order; for any other node, its value.
std::string NodeText(pugi::xml_node node);

// Text of the child at `position`; Error when the child is missing.
std::string ChildText(pugi::xml_node parent, std::size_t position);

// The first child element named exactly `name`; Error naming the element
// and `documentName` when there is none.
pugi::xml_node RequiredChildElement(pugi::xml_node parent, const char* name, const std::string& documentName);

// Value of attribute `name`; Error naming the attribute when it is absent
// (an empty attribute is present and reads as empty text).
std::string RequiredAttribute(pugi::xml_node element, const char* name);

// Appends a child element holding `text` (no content at all when empty).
pugi::xml_node AppendTextElement(pugi::xml_node parent, const char* name, const std::string& text);

} // namespace c2c
