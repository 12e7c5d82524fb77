#include "documents/CobIdTables.h"

#include "documents/CobIdChecks.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/XmlDocument.h"

#include <exception>

namespace c2c {

namespace {

constexpr const char* kOrigAttribute = "Orig_CobID";
constexpr const char* kModAttribute = "Mod_CobID";
constexpr const char* kDescAttribute = "Desc";

// How range errors name the tables.
constexpr std::array<const char*, 2> kTableNames = {"Table Can0 to Can1", "Table Can1 to Can0"};

// Reads one row element's cells into `row`. False when it lacks an
// identifier attribute; the cells read before the failure keep what they
// received.
bool ReadRowLeniently(pugi::xml_node element, CobIdRow& row)
{
    // Rows are taken by position whatever their name; a node that is not an
    // element has no attributes and so stops the reading like a row without
    // Orig_CobID.
    pugi::xml_attribute original = element.attribute(kOrigAttribute);
    if (!original)
        return false;
    row.Orig_CobID = original.value();
    pugi::xml_attribute modified = element.attribute(kModAttribute);
    if (!modified)
        return false;
    row.Mod_CobID = modified.value();
    row.Desc = element.attribute(kDescAttribute).value();
    return true;
}

// Reads one section into `table`, keeping its length. False when a row
// lacks an identifier attribute; the rows before it, and that row's cells
// read before the failure, keep what they received. The rows beyond the
// table's length that hold any text go to `beyond`, when given; a row there
// that cannot be read ends that collection only, as those rows were never
// part of the reading.
bool ReadSectionLeniently(pugi::xml_node section, CobIdTable& table, std::vector<CobIdStoredRow>* beyond)
{
    pugi::xml_node_iterator child = section.begin();
    for (CobIdRow& row : table) {
        if (child == section.end()) {
            row = CobIdRow{};
            continue;
        }
        if (!ReadRowLeniently(*child, row))
            return false;
        ++child;
    }
    for (std::size_t number = table.size(); beyond && child != section.end(); ++child, ++number) {
        CobIdRow row;
        if (!ReadRowLeniently(*child, row))
            break;
        if (row != CobIdRow{})
            beyond->push_back({number, std::move(row)});
    }
    return true;
}

const char* RequiredRowAttribute(pugi::xml_node row, const char* name, std::size_t number, int direction,
                                 const std::string& file)
{
    pugi::xml_attribute attribute = row.attribute(name);
    if (!attribute)
        throw Error("Attribute " + QuotedName(name) + " not found in row " + std::to_string(number) + " of " +
                    QuotedName(kCobIdSections[static_cast<std::size_t>(direction)]) + " in " + QuotedName(file));
    return attribute.value();
}

void BuildDocument(pugi::xml_document& document, const CobIdTables& tables)
{
    pugi::xml_node root = document.append_child(kCobIdRoot);
    for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
        pugi::xml_node section = root.append_child(kCobIdSections[static_cast<std::size_t>(direction)]);
        for (const CobIdRow& row : tables.Table(direction)) {
            pugi::xml_node element = section.append_child(kCobIdRowElement);
            element.append_attribute(kOrigAttribute).set_value(row.Orig_CobID.c_str());
            element.append_attribute(kModAttribute).set_value(row.Mod_CobID.c_str());
            element.append_attribute(kDescAttribute).set_value(row.Desc.c_str());
        }
    }
}

std::optional<CobIdCellError> FindInTable(const CobIdTable& table, int direction, const CommSession& session)
{
    const std::int32_t types[] = {GoverningType(session, direction, kOriginalColumn),
                                  GoverningType(session, direction, kModifyColumn)};
    for (std::size_t r = 0; r < table.size(); ++r) {
        for (int column : {kOriginalColumn, kModifyColumn}) {
            const auto failure = CobIdOkFailure(table[r].Cell(column), types[column - kOriginalColumn]);
            if (!failure)
                continue;
            return CobIdCellError{direction, r, column,
                                  std::string(kTableNames[static_cast<std::size_t>(direction)]) + ". Error in row " +
                                      std::to_string(r) + *failure};
        }
    }
    return std::nullopt;
}

} // namespace

std::string& CobIdRow::Cell(int column)
{
    return column == kOriginalColumn ? Orig_CobID : column == kModifyColumn ? Mod_CobID : Desc;
}

const std::string& CobIdRow::Cell(int column) const
{
    return column == kOriginalColumn ? Orig_CobID : column == kModifyColumn ? Mod_CobID : Desc;
}

std::string CobIdCellText(const CobIdTable& table, std::size_t row, int column)
{
    return column == kNumberColumn ? std::to_string(row) : table[row].Cell(column);
}

std::string CobIdRowNumbersText(const std::vector<std::size_t>& rows)
{
    std::vector<std::string> runs;
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t last = i;
        while (last + 1 < rows.size() && rows[last + 1] == rows[last] + 1)
            ++last;
        // Two neighbours read better as two numbers.
        if (last == i + 1)
            last = i;
        std::string run = "N\u00B0 " + std::to_string(rows[i]);
        if (last > i)
            run += " to " + std::to_string(rows[last]);
        runs.push_back(std::move(run));
        i = last + 1;
    }
    std::string text;
    for (std::size_t i = 0; i < runs.size(); ++i)
        text += (i == 0 ? "" : i + 1 == runs.size() ? " and " : ", ") + runs[i];
    return text;
}

std::string CobIdTableTitle(int direction)
{
    return std::string("Table ") + kCobIdTableNames[direction == kCan1ToCan0 ? 1 : 0];
}

bool IsCobIdRowInUse(const CobIdRow& row)
{
    return !row.Orig_CobID.empty() || !row.Mod_CobID.empty() || !row.Desc.empty();
}

TableLayout CobIdLayout(const CommSession& session)
{
    return LayoutOf(session.CanType0, session.CanType1);
}

std::size_t CobIdTableLength(TableLayout layout)
{
    return layout == TableLayout::Standard ? kStandardTableLength : kExtendedTableLength;
}

std::size_t CobIdTableLength(const CommSession& session)
{
    return CobIdTableLength(CobIdLayout(session));
}

std::int32_t PortType(const CommSession& session, CanPort port)
{
    return port == CanPort::Can1 ? session.CanType1 : session.CanType0;
}

std::optional<CobIdLimit> CobIdLimitOf(std::int32_t type)
{
    const std::optional<FrameFormat> format = CheckedFormatOf(type);
    if (!format)
        return std::nullopt;
    return CobIdLimit{*format == FrameFormat::Standard ? ". The CobID must between 0x000 and 0x7FF"
                                                       : ". The CobID must between 0x0000 0000 and 0x1FFF FFFF"};
}

CanPort GoverningPort(int direction, int column)
{
    return column == kOriginalColumn ? ArrivingPort(direction) : LeavingPort(direction);
}

std::int32_t GoverningType(const CommSession& session, int direction, int column)
{
    return PortType(session, GoverningPort(direction, column));
}

std::optional<CobIdCellError> FindCobIdError(const CobIdTables& tables, const CommSession& session)
{
    if (auto error = FindInTable(tables.can0ToCan1, kCan0ToCan1, session))
        return error;
    return FindInTable(tables.can1ToCan0, kCan1ToCan0, session);
}

CobIdLoad ReadCobIdLeniently(const std::string& path, CobIdTables& tables, CobIdRowsBeyond* beyond)
{
    if (!FileExists(path))
        return CobIdLoad::Missing;
    try {
        return ParseCobIdLeniently(ReadWholeFile(path), tables, beyond);
    } catch (const std::exception&) {
        // Reading for the window never reports anything.
        return CobIdLoad::Stopped;
    }
}

CobIdLoad ParseCobIdLeniently(std::string_view text, CobIdTables& tables, CobIdRowsBeyond* beyond)
{
    try {
        pugi::xml_document document;
        if (!LoadXmlString(document, text))
            return CobIdLoad::Stopped;
        pugi::xml_node root = document.child(kCobIdRoot);
        for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
            pugi::xml_node section = root.child(kCobIdSections[static_cast<std::size_t>(direction)]);
            auto* collected = beyond ? &(*beyond)[static_cast<std::size_t>(direction)] : nullptr;
            if (!section || !ReadSectionLeniently(section, tables.Table(direction), collected))
                return CobIdLoad::Stopped;
        }
        return CobIdLoad::Complete;
    } catch (const std::exception&) {
        // Reading for the window never reports anything: what was read so
        // far stays.
        return CobIdLoad::Stopped;
    }
}

CobIdTables ReadCobIdStrictly(const std::string& path)
{
    if (!FileExists(path))
        throw Error("File " + QuotedName(path) + " not found");
    return ParseCobIdStrictly(ReadWholeFile(path), path);
}

CobIdTables ParseCobIdStrictly(std::string_view text, const std::string& path)
{
    pugi::xml_document document;
    LoadXmlStringOrThrow(document, text, path);
    pugi::xml_node root = RequiredChildElement(document, kCobIdRoot, QuotedName(path));
    CobIdTables tables;
    for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
        pugi::xml_node section =
            RequiredChildElement(root, kCobIdSections[static_cast<std::size_t>(direction)], QuotedName(path));
        CobIdTable& table = tables.Table(direction);
        // Every child counts as a row, so a row's number is the N° the
        // window shows.
        for (pugi::xml_node child : section.children()) {
            CobIdRow& row = table.emplace_back();
            row.Orig_CobID = RequiredRowAttribute(child, kOrigAttribute, table.size() - 1, direction, path);
            row.Mod_CobID = RequiredRowAttribute(child, kModAttribute, table.size() - 1, direction, path);
            row.Desc = child.attribute(kDescAttribute).value();
        }
    }
    return tables;
}

std::string CobIdDocumentText(const CobIdTables& tables)
{
    pugi::xml_document document;
    BuildDocument(document, tables);
    return XmlToString(document);
}

void WriteCobIdDocument(const std::string& path, const CobIdTables& tables)
{
    pugi::xml_document document;
    BuildDocument(document, tables);
    SaveXmlFile(document, path);
}

} // namespace c2c
