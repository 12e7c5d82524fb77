#include "platform/XmlDocument.h"

#include "platform/Error.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

namespace c2c {
namespace {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

pugi::xml_node Parse(pugi::xml_document& document, const std::string& text)
{
    EXPECT_TRUE(LoadXmlString(document, text));
    return document.document_element();
}

TEST(XmlDocument, DeclarationAndWhitespaceBetweenElementsAreNotChildren)
{
    pugi::xml_document document;
    pugi::xml_node root = Parse(document, "<?xml version=\"1.0\"?>\n<R>\n  <a>1</a>\n  <b>2</b>\n</R>\n");
    EXPECT_EQ(ChildCount(root), 2u);
    EXPECT_EQ(ChildText(root, 1), "2");
    EXPECT_EQ(std::string(document.first_child().name()), "R") << "the declaration is not a node";
}

TEST(XmlDocument, CommentsAndProcessingInstructionsCountAsChildren)
{
    pugi::xml_document document;
    pugi::xml_node root = Parse(document, "<R><a>1</a><!--note--><?pi x?><b>2</b></R>");
    EXPECT_EQ(ChildCount(root), 4u);
    EXPECT_EQ(ChildText(root, 1), "note");
    EXPECT_EQ(ChildText(root, 3), "2");
}

TEST(XmlDocument, KeptDeclarationIsTheFirstTopLevelNode)
{
    pugi::xml_document document;
    ASSERT_TRUE(LoadXmlString(document, "<?xml version=\"1.0\"?><R/>", Declaration::Keep));
    EXPECT_EQ(document.first_child().type(), pugi::node_declaration);
}

TEST(XmlDocument, MissingPositionsAndRootsAreErrors)
{
    pugi::xml_document document;
    pugi::xml_node root = Parse(document, "<R><a>1</a></R>");
    EXPECT_THROW(ChildAt(root, 1), Error);
    pugi::xml_document broken;
    EXPECT_FALSE(LoadXmlString(broken, "<R><a></R>"));
    EXPECT_THROW(DocumentElement(broken), Error);
}

TEST(XmlDocument, TextOfAnElementJoinsItsDescendantText)
{
    pugi::xml_document document;
    pugi::xml_node root = Parse(document, "<R><a>1<i>2</i><!--x-->3</a><e/></R>");
    EXPECT_EQ(ChildText(root, 0), "123");
    EXPECT_EQ(ChildText(root, 1), "");
}

TEST(XmlDocument, TextOfAnElementNestedDeeperThanTheStackIsRead)
{
    constexpr std::size_t depth = 1'000'000;
    std::string text = "<R><a>";
    for (std::size_t i = 0; i < depth; ++i)
        text += "<i>";
    text += "7";
    for (std::size_t i = 0; i < depth; ++i)
        text += "</i>";
    text += "</a></R>";
    pugi::xml_document document;
    EXPECT_EQ(ChildText(Parse(document, text), 0), "7");
}

TEST(XmlDocument, AttributesAbsentOrEmpty)
{
    pugi::xml_document document;
    pugi::xml_node root = Parse(document, "<R><row a=\"\" b=\"x\"/></R>");
    pugi::xml_node row = root.first_child();
    EXPECT_EQ(RequiredAttribute(row, "a"), "");
    EXPECT_EQ(RequiredAttribute(row, "b"), "x");
    EXPECT_THROW(RequiredAttribute(row, "c"), Error);
    EXPECT_THROW(RequiredChildElement(root, "Can0_to_Can1", "CanCanCobID.xml"), Error);
}

TEST(XmlDocument, SavedShapeHasNoDeclarationNoIndentationAndEmptyValues)
{
    TempDir dir;
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("ParametriGenerali");
    AppendTextElement(root, "Boud0", "5");
    AppendTextElement(root, "Empty", "");
    pugi::xml_node row = root.append_child("row");
    row.append_attribute("Orig_CobID") = "";
    row.append_attribute("Desc") = "Tür & <Tor>";
    SaveXmlFile(document, dir / "p.xml");
    EXPECT_EQ(ReadText(dir / "p.xml"), "<ParametriGenerali><Boud0>5</Boud0><Empty/>"
                                       "<row Orig_CobID=\"\" Desc=\"Tür &amp; &lt;Tor>\"/></ParametriGenerali>");

    pugi::xml_document reread;
    LoadXmlFileOrThrow(reread, dir / "p.xml");
    EXPECT_EQ(RequiredAttribute(reread.document_element().child("row"), "Desc"), "Tür & <Tor>");
}

TEST(XmlDocument, LoadOrThrowNamesTheFile)
{
    TempDir dir;
    WriteText(dir / "bad.xml", "<R>");
    pugi::xml_document document;
    try {
        LoadXmlFileOrThrow(document, dir / "bad.xml");
        FAIL();
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find(dir / "bad.xml"), std::string::npos);
    }
    EXPECT_THROW(LoadXmlFileOrThrow(document, dir / "none.xml"), Error);
}

// Documents the parser would take but that are not well-formed: each is a
// document that does not parse, with the reason and where it lies.
TEST(XmlDocument, NotWellFormedDocumentsDoNotParse)
{
    const struct {
        const char* text;
        const char* reason;
        std::ptrdiff_t offset;
    } cases[] = {
        {"<R/><S/>", "more than one root element", 5},
        {"text<R/>", "text outside the root element", 0},
        {"<R/>tail", "text outside the root element", 4},
        {"<R><row a=\"1\" b=\"2\" a=\"3\"/></R>", "attribute \"a\" given twice", 4},
        {"<R><row Orig_CobID=\"&#0;5\"/></R>", "reference to character 0", 20},
        {"<R>&#x000;</R>", "reference to character 0", 3},
        {"<!-- only a comment -->", "No document element found", 0},
    };
    for (const auto& c : cases) {
        pugi::xml_document document;
        const XmlLoad load = LoadXmlString(document, c.text);
        EXPECT_FALSE(load) << c.text;
        EXPECT_EQ(load.description, c.reason) << c.text;
        EXPECT_EQ(load.offset, c.offset) << c.text;
        EXPECT_FALSE(document.first_child()) << "nothing is kept of a broken document";
    }
    pugi::xml_document fine;
    EXPECT_TRUE(LoadXmlString(fine, "<!--c--><R a=\"&#48;&#x31;\"/>\n<?pi x?>"));
    EXPECT_EQ(RequiredAttribute(fine.document_element(), "a"), "01");
}

// A file that cannot be read says why, and nothing ever waits on a FIFO.
TEST(XmlDocument, UnreadableFilesSayWhy)
{
    TempDir dir;
    if (!testing::MakeFifo(dir / "fifo.xml"))
        GTEST_SKIP() << "no FIFOs on this system";
    pugi::xml_document document;
    EXPECT_THAT([&] { LoadXmlFileOrThrow(document, dir / "fifo.xml"); },
                ::testing::ThrowsMessage<Error>(::testing::HasSubstr("It is not a regular file")));
    EXPECT_FALSE(LoadXmlFile(document, dir / "fifo.xml"));
    if (testing::PermissionsAreEnforced()) {
        WriteText(dir / "locked.xml", "<R/>");
        std::filesystem::permissions(dir / "locked.xml", std::filesystem::perms::none);
        EXPECT_THAT([&] { LoadXmlFileOrThrow(document, dir / "locked.xml"); },
                    ::testing::ThrowsMessage<Error>(::testing::HasSubstr("Permission denied")));
    }
}

} // namespace
} // namespace c2c
