#include "documents/CompanionDocuments.h"

#include "project/ProjectLayout.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/XmlDocument.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

namespace c2c {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

using Row = std::vector<std::pair<std::string, std::string>>;

// The root's name and every row's attributes, in document order.
struct Document {
    std::string root;
    std::vector<Row> rows;
};

Document ReadDocument(const std::string& path)
{
    pugi::xml_document xml;
    EXPECT_TRUE(LoadXmlFile(xml, path)) << path;
    Document document{xml.document_element().name(), {}};
    for (pugi::xml_node row : xml.document_element().children()) {
        EXPECT_STREQ(row.name(), "row");
        Row attributes;
        for (pugi::xml_attribute attribute : row.attributes())
            attributes.emplace_back(attribute.name(), attribute.value());
        document.rows.push_back(attributes);
    }
    return document;
}

// The values of one attribute over all rows.
std::vector<std::string> Column(const Document& document, const std::string& name)
{
    std::vector<std::string> values;
    for (const Row& row : document.rows)
        for (const auto& [key, value] : row)
            if (key == name)
                values.push_back(value);
    return values;
}

std::vector<std::string> Names(const Row& row)
{
    std::vector<std::string> names;
    for (const auto& attribute : row)
        names.push_back(attribute.first);
    return names;
}

SdoEntry Sdo(const std::string& flag, const std::string& index, const std::string& subindex,
             const std::string& mnemonic = "")
{
    return {flag, index, subindex, "5", "0x2000", "1", "4", mnemonic};
}

EmcyEntry Emcy(const std::string& id, bool enabled = false, EmcySelector selector = EmcySelector::None)
{
    EmcyEntry entry;
    entry.IdDev = id;
    entry.MaskEc = "ec:" + id;
    entry.TranslationEnabled = enabled;
    entry.Selector = selector;
    return entry;
}

EmcyWordEntry Word(const std::string& devid, const std::string& index, const std::string& subindex)
{
    EmcyWordEntry entry;
    entry.DevId = devid;
    entry.IndexAddrm = index;
    entry.Subindex = subindex;
    return entry;
}

PdoEntry Pdo(const std::string& cobid, const std::string& bypass, const std::string& tag = "")
{
    return {cobid, tag, bypass, "0", "1"};
}

class CompanionDocumentsTest : public ::testing::Test {
protected:
    std::string file(const std::string& name) const { return dir / name; }
    TempDir dir;
};

TEST_F(CompanionDocumentsTest, EmptyTablesGiveTheBareRootsOverAnyOldFiles)
{
    ProjectLayout project;
    project.SetProjectDir(dir.path());
    const std::vector<std::pair<std::string, std::string>> expected = {
        {file("sdo.xml"), "<sdo/>"},           {file("emcydef.xml"), "<emcydef/>"},
        {file("emcyword.xml"), "<emcyword/>"}, {file("rpdodef.xml"), "<rpdodef/>"},
        {file("sdopdo.xml"), "<sdopdo/>"}};
    for (const auto& [path, content] : expected)
        WriteText(path, "<old>replaced</old>");
    CompanionTables tables;
    tables.EmcyWord.Can1.push_back(Word("1", "2", "3"));
    tables.StorePdo.Can0.push_back({{{"1", "2", "3"}}});

    WriteCompanionDocuments(tables, project);
    EXPECT_TRUE(tables.EmcyWord.Can1.empty()) << "reset before writing";
    EXPECT_TRUE(tables.StorePdo.Can0.empty()) << "reset before writing";
    for (const auto& [path, content] : expected)
        EXPECT_EQ(ReadText(path), content);
    EXPECT_FALSE(FileExists(file("CanCanCobID.xml")));
}

TEST_F(CompanionDocumentsTest, AnUnwritableFileIsAnErrorForEveryWriter)
{
    WriteText(file("plain"), "a file, not a folder");
    const std::string path = file("plain") + "/doc.xml";
    EXPECT_THROW(WriteSdoDocument({}, path), Error);
    EXPECT_THROW(WriteEmcyDocument({}, path), Error);
    EXPECT_THROW(WriteEmcyWordDocument({}, path), Error);
    EXPECT_THROW(WritePdoDocument({}, path), Error);
    EXPECT_THROW(WriteStorePdoDocument({}, path), Error);
}

// ---------------------------------------------------------------- SDO

TEST_F(CompanionDocumentsTest, SdoRowsCarryTheirSideAndFlagInConfAndKeepTheTypedTexts)
{
    SdoTables tables;
    tables.Can0 = {{"1", "0x1000", "2", "7", "0x6000", "3", "4", "write me"}, Sdo("0", "0x1001", "0")};
    tables.Can1 = {Sdo("1", "1", "0"), Sdo("yes", "2", "0")};
    WriteSdoDocument(tables, file("sdo.xml"));

    EXPECT_EQ(ReadText(file("sdo.xml")),
              "<sdo><row conf=\"16\" IndexA=\"0x1000\" SubindexA=\"2\" devIDB=\"7\" IndexB=\"0x6000\" "
              "SubindexB=\"3\" nbyteB=\"4\" mnemonico=\"write me\"/>"
              "<row conf=\"0\" IndexA=\"0x1001\" SubindexA=\"0\" devIDB=\"5\" IndexB=\"0x2000\" SubindexB=\"1\" "
              "nbyteB=\"4\" mnemonico=\"\"/>"
              "<row conf=\"17\" IndexA=\"1\" SubindexA=\"0\" devIDB=\"5\" IndexB=\"0x2000\" SubindexB=\"1\" "
              "nbyteB=\"4\" mnemonico=\"\"/>"
              "<row conf=\"1\" IndexA=\"2\" SubindexA=\"0\" devIDB=\"5\" IndexB=\"0x2000\" SubindexB=\"1\" "
              "nbyteB=\"4\" mnemonico=\"\"/></sdo>");
}

TEST_F(CompanionDocumentsTest, SdoOrdersBySixteenBitKeysStablyAndEndsAtTheFirstEmptyFlag)
{
    SdoTables tables;
    tables.Can0 = {
        Sdo("1", "-1", "0", "0xFFFF, the largest"),
        Sdo("1", "0x10000", "5", "0 sub 5"),
        Sdo("1", "junk", "0", "0 sub 0, first"),
        Sdo("0", "$0", "0", "0 sub 0, second"),
        Sdo("1", "0x8000", "0", "above 0x7FFF: unsigned"),
        Sdo("", "0", "0", "end of table"),
        Sdo("1", "0", "0", "after the end"),
    };
    tables.Can1 = {Sdo("1", "9", "1", "own order")};
    WriteSdoDocument(tables, file("sdo.xml"));

    EXPECT_THAT(Column(ReadDocument(file("sdo.xml")), "mnemonico"),
                ElementsAre("0 sub 0, first", "0 sub 0, second", "0 sub 5", "above 0x7FFF: unsigned",
                            "0xFFFF, the largest", "own order"));
}

// ---------------------------------------------------------------- EMCY

TEST_F(CompanionDocumentsTest, EmcyRowsHoldTwelveAttributesAndTheBypassCode)
{
    EmcyTables tables;
    EmcyEntry full = Emcy("5", true, EmcySelector::Manufacturer3);
    full.MaskM3 = "m3";
    full.EnMaskEc = "eec";
    tables.Can0 = {full};
    tables.Can1 = {Emcy("1"), Emcy("2", true), Emcy("3", false, EmcySelector::ErrorCodeHigh),
                   Emcy("4", true, EmcySelector::Manufacturer2Low)};
    WriteEmcyDocument(tables, file("emcydef.xml"));

    Document document = ReadDocument(file("emcydef.xml"));
    ASSERT_EQ(document.rows.size(), 5u);
    EXPECT_THAT(document.rows[0],
                ElementsAre(Row::value_type{"id_dev", "5"}, Row::value_type{"mask_eq_ec", "ec:5"},
                            Row::value_type{"mask_eq_er", ""}, Row::value_type{"mask_eq_m1", ""},
                            Row::value_type{"mask_eq_m2", ""}, Row::value_type{"mask_eq_m3", "m3"},
                            Row::value_type{"enmask_eq_ec", "eec"}, Row::value_type{"enmask_eq_er", ""},
                            Row::value_type{"enmask_eq_m1", ""}, Row::value_type{"enmask_eq_m2", ""},
                            Row::value_type{"enmask_eq_m3", ""}, Row::value_type{"bypass_set", "17"}));
    // 2 x selector + enable flag, plus 32 on the CAN 1 side.
    EXPECT_THAT(Column(document, "bypass_set"), ElementsAre("17", "32", "33", "34", "47"));
}

TEST_F(CompanionDocumentsTest, EmcyOrdersByIdentifierWithTheLaterOfEqualKeysFirst)
{
    EmcyTables tables;
    tables.Can0 = {Emcy("0x10"), Emcy("3"), Emcy("$10"), Emcy("-2"), Emcy("999999")};
    tables.Can0[0].MaskEc = "first 16";
    tables.Can0[2].MaskEc = "second 16";
    WriteEmcyDocument(tables, file("emcydef.xml"));
    EXPECT_THAT(Column(ReadDocument(file("emcydef.xml")), "mask_eq_ec"),
                ElementsAre("ec:-2", "ec:3", "second 16", "first 16", "ec:999999"));
}

// ---------------------------------------------------------------- EMCY word

TEST_F(CompanionDocumentsTest, EmcyWordRowsHoldFiftyTwoAttributesInOrder)
{
    EmcyWordTables tables;
    EmcyWordEntry entry = Word("7", "0x2100", "1");
    for (std::size_t bit = 0; bit < 16; ++bit)
        entry.Bits[bit] = {"a" + std::to_string(bit), "b" + std::to_string(bit), "p" + std::to_string(bit)};
    tables.Can0 = {entry};
    tables.Can1 = {entry};
    WriteEmcyWordDocument(tables, file("emcyword.xml"));

    Document document = ReadDocument(file("emcyword.xml"));
    ASSERT_EQ(document.rows.size(), 2u);
    const Row& row = document.rows[0];
    ASSERT_EQ(row.size(), 52u);
    std::vector<std::string> names = Names(row);
    EXPECT_THAT(std::vector<std::string>(names.begin(), names.begin() + 7),
                ElementsAre("index_addrm", "subindex", "extdata", "devid", "bit0_b0", "bit0_b1", "bit0_poscomp"));
    EXPECT_EQ(row[4 + 3 * 9 + 2], (std::pair<std::string, std::string>{"bit9_poscomp", "p9"}));
    EXPECT_EQ(row[51], (std::pair<std::string, std::string>{"bit15_poscomp", "p15"}));
    EXPECT_THAT(Column(document, "extdata"), ElementsAre("0", "1"));
    EXPECT_THAT(Column(document, "index_addrm"), ElementsAre("0x2100", "0x2100"));
}

TEST_F(CompanionDocumentsTest, EmcyWordOrdersByDeviceThenIndexThenSubindex)
{
    EmcyWordTables tables;
    tables.Can0 = {Word("2", "1", "1"), Word("1", "9", "0"), Word("1", "5", "3"), Word("1", "5", "2"),
                   Word("0x1", "$5", "2")};
    tables.Can0[3].Bits[0].B0 = "earlier twin";
    tables.Can0[4].Bits[0].B0 = "later twin";
    WriteEmcyWordDocument(tables, file("emcyword.xml"));

    Document document = ReadDocument(file("emcyword.xml"));
    EXPECT_THAT(Column(document, "devid"), ElementsAre("0x1", "1", "1", "1", "2"));
    EXPECT_THAT(Column(document, "index_addrm"), ElementsAre("$5", "5", "5", "9", "1"));
    EXPECT_THAT(Column(document, "bit0_b0"), ElementsAre("later twin", "earlier twin", "", "", ""));
}

// ---------------------------------------------------------------- PDO

TEST_F(CompanionDocumentsTest, PdoRowsCodeSideAndBypassAreOrderedAndEndAtTheFirstEmptyCobId)
{
    PdoTables tables;
    tables.Can0 = {Pdo("0x181", "1", "a"), Pdo("0x182", "0", "b"), Pdo("", "1", "end"), Pdo("0x100", "1", "gone")};
    tables.Can1 = {Pdo("10066329", "1", "bound"), Pdo("0x202", "", "d"), Pdo("514", "0", "d twin"),
                   Pdo("0x20", "1", "small")};
    WritePdoDocument(tables, file("rpdodef.xml"));

    Document document = ReadDocument(file("rpdodef.xml"));
    ASSERT_EQ(document.rows.size(), 6u);
    EXPECT_THAT(Names(document.rows[0]), ElementsAre("cobid", "id_dev_orig", "en_bypass", "posind", "n_tpdo"));
    // Ordered by cobid, the later of equal keys first.
    EXPECT_THAT(Column(document, "id_dev_orig"), ElementsAre("a", "b", "small", "d twin", "d", "bound"));
    EXPECT_THAT(Column(document, "en_bypass"), ElementsAre("3", "2", "1", "0", "0", "1"));
}

// ---------------------------------------------------------------- store PDO

TEST_F(CompanionDocumentsTest, StorePdoWritesOneRowPerReferenceOrderedAcrossThePdos)
{
    StorePdoTables tables;
    tables.Can0 = {{{{"0x2000", "2", "p1a"}, {"0x1000", "1", "p1b"}}}, {{{"0x1000", "0", "p2a"}}}};
    tables.Can1 = {{}, {{{"5", "5", "q2a"}}}};
    WriteStorePdoDocument(tables, file("sdopdo.xml"));

    Document document = ReadDocument(file("sdopdo.xml"));
    ASSERT_EQ(document.rows.size(), 4u);
    EXPECT_THAT(Names(document.rows[0]), ElementsAre("index", "subindex", "nrpdo", "poscomp"));
    EXPECT_THAT(Column(document, "poscomp"), ElementsAre("p2a", "p1b", "p1a", "q2a"));
    // The PDO's number counted from 1; 128 added on the CAN 1 side.
    EXPECT_THAT(Column(document, "nrpdo"), ElementsAre("2", "1", "1", "130"));
}

// ---------------------------------------------------------------- refused keys

struct RefusedCase {
    const char* name;
    std::function<void(const std::string&)> write;
    const char* message; // part of the error text
};

class RefusedKeyTest : public CompanionDocumentsTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedKeyTest, FailsWithAClearErrorAndLeavesTheOldFile)
{
    const RefusedCase& c = GetParam();
    WriteText(file("doc.xml"), "<old/>");
    try {
        c.write(file("doc.xml"));
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_THAT(error.what(), HasSubstr(c.message));
    }
    EXPECT_EQ(ReadText(file("doc.xml")), "<old/>");
}

INSTANTIATE_TEST_SUITE_P(
    Keys, RefusedKeyTest,
    ::testing::Values(
        RefusedCase{"EmcyAboveBound",
                    [](const std::string& p) { WriteEmcyDocument({{Emcy("1")}, {Emcy("2"), Emcy("1000000")}}, p); },
                    "Value '1000000' of id_dev (CAN 1, entry 2) in doc.xml is above 999999"},
        RefusedCase{"EmcyNotANumber", [](const std::string& p) { WriteEmcyDocument({{Emcy("7F")}, {}}, p); },
                    "'7F' is not a valid integer value"},
        RefusedCase{"EmcyBadSelector",
                    [](const std::string& p) {
                        WriteEmcyDocument({{Emcy("1", true, static_cast<EmcySelector>(9))}, {}}, p);
                    },
                    "EMCY translation selector 9 (CAN 0, entry 1) is not valid"},
        RefusedCase{"EmcyWordAboveBound",
                    [](const std::string& p) { WriteEmcyWordDocument({{Word("1", "0x100000", "0")}, {}}, p); },
                    "Value '0x100000' of index_addrm (CAN 0, entry 1) in doc.xml is above 999999"},
        RefusedCase{"PdoAboveBound", [](const std::string& p) { WritePdoDocument({{Pdo("10066330", "1")}, {}}, p); },
                    "Value '10066330' of cobid (CAN 0, entry 1) in doc.xml is above 10066329"},
        RefusedCase{"StorePdoAboveBound",
                    [](const std::string& p) {
                        WriteStorePdoDocument({{}, {{{{"1", "1", ""}}}, {{{"1", "1", ""}, {"0x999999A", "0", ""}}}}},
                                              p);
                    },
                    "Value '0x999999A' of index (CAN 1, PDO 2, reference 2) in doc.xml is above 10066329"}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace c2c
