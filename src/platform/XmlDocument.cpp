#include "platform/XmlDocument.h"

#include "platform/Error.h"
#include "platform/FileSystem.h"

#include <sstream>

namespace c2c {

namespace {

unsigned ParseFlags(Declaration declaration)
{
    // parse_default drops whitespace-only text between elements.
    unsigned flags = pugi::parse_default | pugi::parse_comments | pugi::parse_pi;
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

} // namespace

pugi::xml_parse_result LoadXmlFile(pugi::xml_document& document, const std::string& path, Declaration declaration)
{
    document.reset();
    pugi::xml_parse_result result = document.load_file(path.c_str(), ParseFlags(declaration), pugi::encoding_auto);
    if (!result)
        document.reset();
    return result;
}

pugi::xml_parse_result LoadXmlString(pugi::xml_document& document, const std::string& text, Declaration declaration)
{
    document.reset();
    pugi::xml_parse_result result =
        document.load_buffer(text.data(), text.size(), ParseFlags(declaration), pugi::encoding_auto);
    if (!result)
        document.reset();
    return result;
}

void LoadXmlFileOrThrow(pugi::xml_document& document, const std::string& path, Declaration declaration)
{
    if (!FileExists(path))
        throw Error("File \"" + path + "\" not found");
    pugi::xml_parse_result result = LoadXmlFile(document, path, declaration);
    if (!result) {
        std::ostringstream text;
        text << "Error in file \"" << path << "\" at byte " << result.offset << ": " << result.description();
        throw Error(text.str());
    }
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
