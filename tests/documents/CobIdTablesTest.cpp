#include "documents/CobIdTables.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace c2c {
namespace {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

constexpr const char* kTail2A = ". The CobID must between 0x000 and 0x7FF";
constexpr const char* kTail2B = ". The CobID must between 0x0000 0000 and 0x1FFF FFFF";

// A section of `count` rows; row r holds ("r", "r+1", "dr").
std::string Section(const char* name, std::size_t count)
{
    std::string text = std::string("<") + name + ">";
    for (std::size_t r = 0; r < count; ++r)
        text += "<row Orig_CobID=\"" + std::to_string(r) + "\" Mod_CobID=\"" + std::to_string(r + 1) +
                "\" Desc=\"d" + std::to_string(r) + "\"/>";
    return text + "</" + name + ">";
}

std::string Document(const std::string& sections)
{
    return "<CanCanCobID>" + sections + "</CanCanCobID>";
}

class CobIdDocumentTest : public ::testing::Test {
protected:
    std::string file() const { return dir / "CanCanCobID.xml"; }
    // Reads the document into two tables of `rows` rows each.
    CobIdLoad Read(std::size_t rows)
    {
        tables = {CobIdTable(rows), CobIdTable(rows)};
        return ReadCobIdLeniently(file(), tables);
    }

    TempDir dir;
    CobIdTables tables;
};

// The range check.

struct CheckCase {
    CommSession session;
    int direction;
    std::size_t row;
    int column;
    const char* text;
    std::string message; // empty: the cell passes
};

void PrintTo(const CheckCase& c, std::ostream* out)
{
    *out << "types " << c.session.CanType0 << "/" << c.session.CanType1 << ", table " << c.direction << ", column "
         << c.column << ", \"" << c.text << "\"";
}

class CobIdCheckTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CobIdCheckTest, OneCell)
{
    const CheckCase& c = GetParam();
    CobIdTables tables{CobIdTable(CobIdTableLength(c.session)), CobIdTable(CobIdTableLength(c.session))};
    tables.Table(c.direction)[c.row].Cell(c.column) = c.text;
    auto error = FindCobIdError(tables, c.session);
    if (c.message.empty()) {
        EXPECT_FALSE(error) << error->message;
    } else {
        ASSERT_TRUE(error);
        EXPECT_EQ(*error, (CobIdCellError{c.direction, c.row, c.column, c.message}));
    }
}

const CommSession k2A{0, 0, false};
const CommSession k2B{1, 1, true};
const CommSession kMixed{0, 1, true}; // CAN 0 2.0A, CAN 1 2.0B
const std::string kRow0C0 = "Table Can0 to Can1. Error in row 0";
const std::string kRow7C1 = "Table Can1 to Can0. Error in row 7";

INSTANTIATE_TEST_SUITE_P(
    Cells, CobIdCheckTest,
    ::testing::Values(
        // 2.0A limits; the row is named by its N°.
        CheckCase{k2A, 0, 0, kOriginalColumn, "0x800", kRow0C0 + kTail2A},
        CheckCase{k2A, 0, 0, kOriginalColumn, "0x7FF", ""}, CheckCase{k2A, 0, 0, kModifyColumn, "2047", ""},
        CheckCase{k2A, 0, 0, kModifyColumn, "2048", kRow0C0 + kTail2A},
        CheckCase{k2A, 1, 7, kOriginalColumn, "3FF", kRow7C1 + kTail2A},
        CheckCase{k2A, 1, 7, kOriginalColumn, "$3ff", ""}, CheckCase{k2A, 1, 7, kOriginalColumn, "0", ""},
        CheckCase{k2A, 1, 2047, kModifyColumn, "-0x1", "Table Can1 to Can0. Error in row 2047" + std::string(kTail2A)},
        // 2.0B limits: not an integer, or negative, fails.
        CheckCase{k2B, 0, 0, kOriginalColumn, "0x1FFFFFFF", ""},
        CheckCase{k2B, 0, 0, kOriginalColumn, "0x20000000", kRow0C0 + kTail2B},
        CheckCase{k2B, 0, 0, kOriginalColumn, "-1", kRow0C0 + kTail2B},
        CheckCase{k2B, 0, 0, kModifyColumn, "0xFFFFFFFF", kRow0C0 + kTail2B},
        CheckCase{k2B, 1, 7, kModifyColumn, "abc", kRow7C1 + kTail2B},
        CheckCase{k2B, 1, 7, kModifyColumn, " ", kRow7C1 + kTail2B},
        CheckCase{k2B, 1, 7, kOriginalColumn, "  536870911", ""},
        CheckCase{k2B, 1, 7, kOriginalColumn, "5 ", kRow7C1 + kTail2B},
        // Mixed formats: each cell takes the limit of the port its identifier travels on.
        CheckCase{kMixed, 0, 0, kModifyColumn, "0x1FFFFFFF", ""},
        CheckCase{kMixed, 0, 0, kOriginalColumn, "0x1FFFFFFF", kRow0C0 + kTail2A},
        CheckCase{kMixed, 1, 7, kOriginalColumn, "0x1FFFFFFF", ""},
        CheckCase{kMixed, 1, 7, kModifyColumn, "0x1FFFFFFF", kRow7C1 + kTail2A},
        CheckCase{kMixed, 1, 7, kModifyColumn, "0x20000000", kRow7C1 + kTail2A},
        // Other type numbers are not checked.
        CheckCase{CommSession{2, 1, false}, 0, 0, kOriginalColumn, "text", ""},
        CheckCase{CommSession{2, 1, false}, 0, 0, kModifyColumn, "text", kRow0C0 + kTail2B}));

// The document.

TEST_F(CobIdDocumentTest, SavedDocumentHasEveryRowAndEmptyAttributes)
{
    CobIdTable c0(2), c1(2);
    c0[0] = {"0x10", "", "a<b & \"c\""};
    c1[1] = {"", "7", ""};
    EXPECT_EQ(CobIdDocumentText({c0, c1}),
              "<CanCanCobID><Can0_to_Can1><row Orig_CobID=\"0x10\" Mod_CobID=\"\" Desc=\"a&lt;b &amp; &quot;c&quot;\"/>"
              "<row Orig_CobID=\"\" Mod_CobID=\"\" Desc=\"\"/></Can0_to_Can1><Can1_to_Can0>"
              "<row Orig_CobID=\"\" Mod_CobID=\"\" Desc=\"\"/><row Orig_CobID=\"\" Mod_CobID=\"7\" Desc=\"\"/>"
              "</Can1_to_Can0></CanCanCobID>");
}

TEST_F(CobIdDocumentTest, LongerDocumentFillsTheShorterTableAndIsSavedShorter)
{
    WriteText(file(), Document(Section("Can0_to_Can1", 2048) + Section("Can1_to_Can0", 2048)));
    EXPECT_EQ(Read(2000), CobIdLoad::Complete);
    EXPECT_EQ(tables.can0ToCan1[1999], (CobIdRow{"1999", "2000", "d1999"}));
    EXPECT_EQ(tables.can1ToCan0[1999], (CobIdRow{"1999", "2000", "d1999"}));
    WriteCobIdDocument(file(), tables);
    EXPECT_EQ(ReadText(file()), Document(Section("Can0_to_Can1", 2000) + Section("Can1_to_Can0", 2000)));
}

TEST_F(CobIdDocumentTest, MissingDescReadsAsEmptyAndMissingOrigStopsTheLoading)
{
    WriteText(file(), Document("<Can0_to_Can1><row Orig_CobID=\"1\" Mod_CobID=\"2\"/>"
                               "<row Mod_CobID=\"3\" Desc=\"x\"/><row Orig_CobID=\"4\" Mod_CobID=\"\" Desc=\"\"/>"
                               "</Can0_to_Can1>" +
                               Section("Can1_to_Can0", 2)));
    EXPECT_EQ(Read(2048), CobIdLoad::Stopped);
    EXPECT_EQ(tables.can0ToCan1[0], (CobIdRow{"1", "2", ""}));
    EXPECT_EQ(tables.can0ToCan1[1], CobIdRow{});
    EXPECT_EQ(tables.can0ToCan1[2], CobIdRow{}) << "rows after the failure stay empty";
    EXPECT_EQ(tables.can1ToCan0[0], CobIdRow{}) << "the second section is not reached";
}

TEST_F(CobIdDocumentTest, DeclarationAndIndentationReadLikeTheWrittenShape)
{
    WriteText(file(), "<?xml version=\"1.0\"?>\n<CanCanCobID>\n  <Can1_to_Can0>\n    <row Orig_CobID=\"9\" "
                      "Mod_CobID=\"8\" Desc=\"\"/>\n  </Can1_to_Can0>\n  <Can0_to_Can1>\n    <line Orig_CobID=\"1\" "
                      "Mod_CobID=\"\"/>\n  </Can0_to_Can1>\n</CanCanCobID>\n");
    EXPECT_EQ(Read(2048), CobIdLoad::Complete);
    EXPECT_EQ(tables.can0ToCan1[0], (CobIdRow{"1", "", ""})) << "sections are found by name, rows by position";
    EXPECT_EQ(tables.can1ToCan0[0], (CobIdRow{"9", "8", ""}));
    EXPECT_EQ(tables.can1ToCan0[1], CobIdRow{}) << "a shorter section leaves the other rows empty";

    WriteText(file(), Document(Section("Can0_to_Can1", 2)));
    EXPECT_EQ(ReadCobIdLeniently(file(), tables), CobIdLoad::Stopped);
    EXPECT_EQ(tables.can0ToCan1[1], (CobIdRow{"1", "2", "d1"})) << "the first table stays when the second is missing";
}

} // namespace
} // namespace c2c
