#include "platform/XmlDocument.h"

#include "platform/Error.h"
#include "platform/FileSystem.h"


namespace c2c {

namespace {

unsigned ParseFlags(Declaration declaration)
{
    // parse_default drops whitespace-only text between elements. As a
    // fragment the document keeps text and further elements at the top
    // level as nodes, so that CheckWellFormed can refuse them.
    unsigned flags = pugi::parse_default | pugi::parse_comments | pugi::parse_pi | pugi::parse_fragment;
    if (declaration == Declaration::Keep)
        flags |= pugi::parse_declaration;
    return flags;
}

class StringWriter final : public pugi::xml_writer {
public:
    explicit StringWriter(std::string& target) : target_(target) {}
    void write(const void* data, size_t size) override { target_.append(static_cast<const char*>(data), size); }

private:
    std::string& target_;
};

// Gathers the text and CDATA nodes below an element in document order. The
// walk is iterative, so a document nested deeper than the stack could follow
// is read like any other.
class TextCollector final : public pugi::xml_tree_walker {
public:
    explicit TextCollector(std::string& text) : text_(text) {}
    bool for_each(pugi::xml_node& node) override
    {
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata)
            text_ += node.value();
        return true;
    }

private:
    std::string& text_;
};

// A reference to character 0 ("&#0;", "&#x00;", ...): the parser would put
// a NUL into the value, which then ends early without a word.
XmlLoad FindCharacterZero(std::string_view text)
{
    for (std::size_t at = text.find("&#"); at != std::string_view::npos; at = text.find("&#", at + 2)) {
        std::size_t i = at + 2;
        const bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
        if (hex)
            ++i;
        const std::size_t digits = i;
        while (i < text.size() && text[i] == '0')
            ++i;
        if (i > digits && i < text.size() && text[i] == ';')
            return XmlLoad{false, static_cast<std::ptrdiff_t>(at), "reference to character 0"};
    }
    return XmlLoad{true, 0, ""};
}

// What the parser lets pass but a well-formed document has not: more than
// one top-level element, text outside it, an attribute given twice.
class WellFormedCheck final : public pugi::xml_tree_walker {
public:
    bool for_each(pugi::xml_node& node) override
    {
        if (node.type() != pugi::node_element)
            return true;
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
            for (pugi::xml_attribute b = a.next_attribute(); b; b = b.next_attribute()) {
                if (std::string_view(a.name()) == b.name()) {
                    result = XmlLoad{false, node.offset_debug(), "attribute \"" + std::string(a.name()) + "\" given twice"};
                    return false;
                }
            }
        }
        return true;
    }
    XmlLoad result{true, 0, ""};
};

XmlLoad CheckWellFormed(pugi::xml_document& document)
{
    int elements = 0;
    for (pugi::xml_node child : document.children()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            return XmlLoad{false, child.offset_debug(), "text outside the root element"};
        if (child.type() == pugi::node_element && ++elements > 1)
            return XmlLoad{false, child.offset_debug(), "more than one root element"};
    }
    if (elements == 0)
        return XmlLoad{false, 0, "No document element found"};
    WellFormedCheck check;
    document.traverse(check);
    return check.result;
}

} // namespace

XmlLoad LoadXmlFile(pugi::xml_document& document, const std::string& path, Declaration declaration)
{
    document.reset();
    std::string text;
    try {
        text = ReadWholeFile(path);
    } catch (const Error& error) {
        return XmlLoad{false, 0, error.what()};
    }
    return LoadXmlString(document, text, declaration);
}

XmlLoad LoadXmlString(pugi::xml_document& document, std::string_view text, Declaration declaration)
{
    document.reset();
    XmlLoad load = FindCharacterZero(text);
    if (load.ok) {
        pugi::xml_parse_result parsed =
            document.load_buffer(text.data(), text.size(), ParseFlags(declaration), pugi::encoding_auto);
        load = parsed ? CheckWellFormed(document) : XmlLoad{false, parsed.offset, parsed.description()};
    }
    if (!load.ok)
        document.reset();
    return load;
}

void LoadXmlStringOrThrow(pugi::xml_document& document, std::string_view text, const std::string& name,
                          Declaration declaration)
{
    const XmlLoad load = LoadXmlString(document, text, declaration);
    if (!load)
        throw Error("Error in file \"" + name + "\" at byte " + std::to_string(load.offset) + ": " + load.description);
}

void LoadXmlFileOrThrow(pugi::xml_document& document, const std::string& path, Declaration declaration)
{
    if (!FileExists(path))
        throw Error("File \"" + path + "\" not found");
    // An unreadable file says why (no rights, not a regular file, ...).
    LoadXmlStringOrThrow(document, ReadWholeFile(path), path, declaration);
}

std::string XmlToString(const pugi::xml_document& document)
{
    std::string text;
    StringWriter writer(text);
    document.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return text;
}

void SaveXmlFile(const pugi::xml_document& document, const std::string& path)
{
    WriteFileAtomically(path, XmlToString(document));
}

pugi::xml_node DocumentElement(const pugi::xml_document& document)
{
    pugi::xml_node root = document.document_element();
    if (!root)
        throw Error("The document has no root element");
    return root;
}

pugi::xml_node ChildAt(pugi::xml_node parent, std::size_t position)
{
    std::size_t index = 0;
    for (pugi::xml_node child : parent.children()) {
        if (index == position)
            return child;
        ++index;
    }
    throw Error("Node number " + std::to_string(position) + " of \"" + std::string(parent.name()) + "\" not found");
}

std::size_t ChildCount(pugi::xml_node parent)
{
    std::size_t count = 0;
    for (auto it = parent.begin(); it != parent.end(); ++it)
        ++count;
    return count;
}

std::string NodeText(pugi::xml_node node)
{
    if (node.type() != pugi::node_element && node.type() != pugi::node_document)
        return node.value();
    std::string text;
    TextCollector collector(text);
    node.traverse(collector);
    return text;
}

std::string ChildText(pugi::xml_node parent, std::size_t position)
{
    return NodeText(ChildAt(parent, position));
}

pugi::xml_node RequiredChildElement(pugi::xml_node parent, const char* name, const std::string& documentName)
{
    pugi::xml_node child = parent.child(name);
    if (!child)
        throw Error("Element \"" + std::string(name) + "\" not found in " + documentName);
    return child;
}

std::string RequiredAttribute(pugi::xml_node element, const char* name)
{
    pugi::xml_attribute attribute = element.attribute(name);
    if (!attribute)
        throw Error("Attribute \"" + std::string(name) + "\" not found");
    return attribute.value();
}

pugi::xml_node AppendTextElement(pugi::xml_node parent, const char* name, const std::string& text)
{
    pugi::xml_node element = parent.append_child(name);
    if (!text.empty())
        element.text().set(text.c_str());
    return element;
}

} // namespace c2c
