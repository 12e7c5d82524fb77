#include "documents/CommSettings.h"

#include "documents/IntegerText.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/XmlDocument.h"

namespace c2c {

namespace {

// The text of an element that holds a single text (or nothing); none for
// nested elements, mixed content, or a node that is not an element.
std::optional<std::string> SingleText(pugi::xml_node node)
{
    if (node.type() != pugi::node_element)
        return std::nullopt;
    pugi::xml_node first = node.first_child();
    if (!first)
        return std::string();
    if (first.next_sibling() || (first.type() != pugi::node_pcdata && first.type() != pugi::node_cdata))
        return std::nullopt;
    return std::string(first.value());
}

// The number at `position` of the settings element, for the build. Errors
// name the value by its position and the name the dialog writes there.
std::int32_t StrictValue(pugi::xml_node settings, std::size_t position, const std::string& file)
{
    const std::string what =
        "Settings value number " + std::to_string(position) + " (" + kPargenElements[position] + ") ";
    pugi::xml_node child = settings.first_child();
    for (std::size_t i = 0; child && i < position; ++i)
        child = child.next_sibling();
    if (!child)
        throw Error(what + "not found in " + QuotedName(file));
    std::optional<std::string> text = SingleText(child);
    if (!text)
        throw Error(what + "in " + QuotedName(file) + " does not hold a single text");
    return ParseInteger(*text);
}

} // namespace

CommSession SessionOf(const CommSettings& settings)
{
    return {settings.format0, settings.format1, settings.positive == 1};
}

PargenReading ReadPargenLeniently(const std::string& pargenFile)
{
    if (!FileExists(pargenFile))
        return PargenReading{};
    std::string text;
    try {
        text = ReadWholeFile(pargenFile);
    } catch (const Error&) {
        PargenReading unreadable;
        unreadable.state = DocumentState::Unreadable;
        return unreadable;
    }
    return ParsePargenLeniently(text);
}

PargenReading ParsePargenLeniently(std::string_view text)
{
    PargenReading reading;
    pugi::xml_document document;
    LoadXmlString(document, text);
    pugi::xml_node root = document.document_element();
    if (!root) {
        reading.state = DocumentState::Unreadable;
        return reading;
    }
    reading.state = DocumentState::Read;
    const std::size_t count = ChildCount(root);
    auto valueText = [&](std::size_t position) -> std::optional<std::string> {
        if (position >= count)
            return std::nullopt;
        return ChildText(root, position);
    };
    auto number = [&](std::size_t position) -> std::optional<std::int32_t> {
        if (auto value = valueText(position))
            return ParseIntegerOr(*value, 0);
        return std::nullopt;
    };
    if (auto value = valueText(kBoud0))
        reading.bitRate0 = TryParseInteger(*value);
    if (auto value = valueText(kBoud1))
        reading.bitRate1 = TryParseInteger(*value);
    reading.format0 = number(kType);
    reading.positive = number(kPositive);
    reading.dipSwitch0 = number(kBaudDipC0);
    reading.dipSwitch1 = number(kBaudDipC1);
    reading.format1 = number(kTypeC1);
    return reading;
}

CommSettings ReadPargenStrictly(const std::string& pargenFile)
{
    if (!FileExists(pargenFile))
        throw Error("File " + QuotedName(pargenFile) + " not found");
    return ParsePargenStrictly(ReadWholeFile(pargenFile), pargenFile);
}

CommSettings ParsePargenStrictly(std::string_view text, const std::string& pargenFile)
{
    // The declaration is kept as a node: the settings element is the first
    // top-level node, whatever it is, so anything written ahead of it makes
    // the build stop rather than be skipped over.
    pugi::xml_document document;
    LoadXmlStringOrThrow(document, text, pargenFile, Declaration::Keep);
    pugi::xml_node settings = document.first_child();
    if (settings.type() != pugi::node_element)
        throw Error("The first node of " + QuotedName(pargenFile) + " is not the settings element");

    CommSettings result;
    result.bitRate0 = StrictValue(settings, kBoud0, pargenFile);
    result.bitRate1 = StrictValue(settings, kBoud1, pargenFile);
    result.format0 = StrictValue(settings, kType, pargenFile);
    result.positive = StrictValue(settings, kPositive, pargenFile);
    result.dipSwitch0 = StrictValue(settings, kBaudDipC0, pargenFile);
    result.dipSwitch1 = StrictValue(settings, kBaudDipC1, pargenFile);
    try {
        result.format1 = StrictValue(settings, kTypeC1, pargenFile);
    } catch (const Error&) {
        result.format1 = result.format0;
    }
    return result;
}

void LoadCommSession(const std::string& pargenFile, CommSession& session)
{
    const PargenReading reading = ReadPargenLeniently(pargenFile);
    if (reading.state == DocumentState::Missing) {
        session = {0, 0, true};
        return;
    }
    // A broken document keeps what was read before the first gap, without
    // a message.
    if (!reading.format0)
        return;
    session.CanType0 = *reading.format0;
    session.CanType1 = reading.format1.value_or(session.CanType0);
    if (!reading.positive)
        return;
    session.PositiveImpl = *reading.positive == 1;
}

void WritePargen(const std::string& pargenFile, const CommSettings& settings)
{
    const std::int32_t values[] = {settings.bitRate0,   settings.bitRate1,   settings.format0, settings.positive,
                                   settings.dipSwitch0, settings.dipSwitch1, settings.format1};
    pugi::xml_document document;
    pugi::xml_node root = document.append_child(kPargenRoot);
    for (std::size_t i = 0; i < kPargenElements.size(); ++i)
        AppendTextElement(root, kPargenElements[i], std::to_string(values[i]));
    SaveXmlFile(document, pargenFile);
}

} // namespace c2c
