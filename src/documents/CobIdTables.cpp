#include "documents/CobIdTables.h"

#include "documents/IntegerText.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/UiServices.h"
#include "platform/XmlDocument.h"

#include <algorithm>
#include <exception>

namespace c2c {

namespace {

constexpr const char* kOrigAttribute = "Orig_CobID";
constexpr const char* kModAttribute = "Mod_CobID";
constexpr const char* kDescAttribute = "Desc";

constexpr std::array<const char*, 2> kTableNames = {"Table Can0 to Can1", "Table Can1 to Can0"};

// Reads one section into `table`. False when a row lacks an identifier
// attribute; the rows before it, and that row's cells read before the
// failure, keep what they received.
bool ReadSection(pugi::xml_node section, CobIdTable& table)
{
    pugi::xml_node_iterator child = section.begin();
    for (CobIdRow& row : table) {
        if (child == section.end()) {
            row = CobIdRow{};
            continue;
        }
        // Rows are taken by position whatever their name; a node that is not
        // an element has no attributes and so stops the reading like a row
        // without Orig_CobID.
        pugi::xml_attribute original = child->attribute(kOrigAttribute);
        if (!original)
            return false;
        row.Orig_CobID = original.value();
        pugi::xml_attribute modified = child->attribute(kModAttribute);
        if (!modified)
            return false;
        row.Mod_CobID = modified.value();
        row.Desc = child->attribute(kDescAttribute).value();
        ++child;
    }
    return true;
}

void WriteSection(pugi::xml_node root, const char* name, const CobIdTable& table)
{
    pugi::xml_node section = root.append_child(name);
    for (const CobIdRow& row : table) {
        pugi::xml_node element = section.append_child(kCobIdRowElement);
        element.append_attribute(kOrigAttribute).set_value(row.Orig_CobID.c_str());
        element.append_attribute(kModAttribute).set_value(row.Mod_CobID.c_str());
        element.append_attribute(kDescAttribute).set_value(row.Desc.c_str());
    }
}

void BuildDocument(pugi::xml_document& document, const CobIdTable& can0ToCan1, const CobIdTable& can1ToCan0)
{
    pugi::xml_node root = document.append_child(kCobIdRoot);
    WriteSection(root, kCobIdSections[kCan0ToCan1], can0ToCan1);
    WriteSection(root, kCobIdSections[kCan1ToCan0], can1ToCan0);
}

std::optional<CobIdCellError> FindInTable(const CobIdTable& table, int direction, const CommSession& session)
{
    const std::optional<CobIdLimit> limits[] = {CobIdLimitOf(GoverningType(session, direction, kOriginalColumn)),
                                                CobIdLimitOf(GoverningType(session, direction, kModifyColumn))};
    for (std::size_t r = 0; r < table.size(); ++r) {
        for (int column : {kOriginalColumn, kModifyColumn}) {
            const std::string& text = table[r].Cell(column);
            const std::optional<CobIdLimit>& limit = limits[column - kOriginalColumn];
            if (text.empty() || !limit)
                continue;
            std::int32_t value = ParseIntegerOr(text, -1);
            if (value >= 0 && value <= limit->maximum)
                continue;
            return CobIdCellError{direction, r, column,
                                  std::string(kTableNames[direction]) + ". Error in row " + std::to_string(r) +
                                      limit->tail};
        }
    }
    return std::nullopt;
}

std::string OneLine(const std::string& text)
{
    std::string line = text;
    std::replace_if(line.begin(), line.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    return line;
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

std::size_t CobIdTableLength(const CommSession& session)
{
    return session.CanType0 == 0 && session.CanType1 == 0 ? kStandardTableLength : kExtendedTableLength;
}

std::optional<CobIdLimit> CobIdLimitOf(std::int32_t type)
{
    switch (type) {
    case 0:
        return CobIdLimit{0x7FF, ". The CobID must between 0x000 and 0x7FF"};
    case 1:
        return CobIdLimit{0x1FFFFFFF, ". The CobID must between 0x0000 0000 and 0x1FFF FFFF"};
    default:
        return std::nullopt;
    }
}

std::int32_t GoverningType(const CommSession& session, int direction, int column)
{
    bool arriving = column == kOriginalColumn;
    bool fromCan0 = direction == kCan0ToCan1;
    return arriving == fromCan0 ? session.CanType0 : session.CanType1;
}

std::optional<CobIdCellError> FindCobIdError(const CobIdTable& can0ToCan1, const CobIdTable& can1ToCan0,
                                             const CommSession& session)
{
    if (auto error = FindInTable(can0ToCan1, kCan0ToCan1, session))
        return error;
    return FindInTable(can1ToCan0, kCan1ToCan0, session);
}

CobIdLoad LoadCobIdDocument(const std::string& path, CobIdTable& can0ToCan1, CobIdTable& can1ToCan0)
{
    if (!FileExists(path))
        return CobIdLoad::Missing;
    pugi::xml_document document;
    if (!LoadXmlFile(document, path))
        return CobIdLoad::Stopped;
    pugi::xml_node root = document.child(kCobIdRoot);
    CobIdTable* tables[] = {&can0ToCan1, &can1ToCan0};
    for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
        pugi::xml_node section = root.child(kCobIdSections[direction]);
        if (!section || !ReadSection(section, *tables[direction]))
            return CobIdLoad::Stopped;
    }
    return CobIdLoad::Complete;
}

std::string CobIdDocumentText(const CobIdTable& can0ToCan1, const CobIdTable& can1ToCan0)
{
    pugi::xml_document document;
    BuildDocument(document, can0ToCan1, can1ToCan0);
    return XmlToString(document);
}

void SaveCobIdDocument(const std::string& path, const CobIdTable& can0ToCan1, const CobIdTable& can1ToCan0)
{
    pugi::xml_document document;
    BuildDocument(document, can0ToCan1, can1ToCan0);
    SaveXmlFile(document, path);
}

bool IsCobIdColumnEditable(int column, bool modifyEditable)
{
    return column == kOriginalColumn || column == kDescriptionColumn || (column == kModifyColumn && modifyEditable);
}

std::string CopyCobIdCells(const CobIdTable& table, const CobIdCellRange& range)
{
    std::string text;
    for (std::size_t r = range.top; r <= range.bottom && r < table.size(); ++r) {
        for (int c = range.left; c <= range.right; ++c) {
            if (c > range.left)
                text += '\t';
            text += OneLine(CobIdCellText(table, r, c));
        }
        text += '\n';
    }
    return text;
}

std::vector<std::vector<std::string>> SplitTabularText(std::string_view text)
{
    std::vector<std::vector<std::string>> lines;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        std::vector<std::string>& cells = lines.emplace_back();
        for (;;) {
            std::size_t tab = line.find('\t');
            cells.emplace_back(line.substr(0, tab));
            if (tab == std::string_view::npos)
                break;
            line.remove_prefix(tab + 1);
        }
    }
    return lines;
}

std::optional<CobIdCellRange> PasteCobIdCells(CobIdTable& table, std::size_t row, int column, std::string_view text,
                                              bool modifyEditable)
{
    std::optional<CobIdCellRange> written;
    std::vector<std::vector<std::string>> lines = SplitTabularText(text);
    for (std::size_t i = 0; i < lines.size() && row + i < table.size(); ++i) {
        for (std::size_t j = 0; j < lines[i].size(); ++j) {
            int c = column + static_cast<int>(j);
            if (c >= kCobIdColumnCount)
                break;
            if (!IsCobIdColumnEditable(c, modifyEditable))
                continue;
            std::size_t r = row + i;
            table[r].Cell(c) = std::move(lines[i][j]);
            if (!written) {
                written = CobIdCellRange{r, c, r, c};
            } else {
                written->left = std::min(written->left, c);
                written->right = std::max(written->right, c);
                written->bottom = r;
            }
        }
    }
    return written;
}

void CobIdDialog::FormShow(const CommSession& session, const std::string& canCobIdFile)
{
    Session = session;
    BadCell.reset();
    std::size_t length = CobIdTableLength(session);
    LbButton3Visible = length == kStandardTableLength;
    for (CobIdTable* table : {&ASG_C0, &ASG_C1})
        table->assign(length, CobIdRow{});
    ModifyEditable = session.PositiveImpl;
    LoadTables(canCobIdFile);
}

CobIdLoad CobIdDialog::LoadTables(const std::string& canCobIdFile)
{
    try {
        return LoadCobIdDocument(canCobIdFile, ASG_C0, ASG_C1);
    } catch (const std::exception&) {
        // Loading never reports anything: what was read so far stays.
        return CobIdLoad::Stopped;
    }
}

bool CobIdDialog::ValidateTables(MessageService& messages)
{
    BadCell = FindCobIdError(ASG_C0, ASG_C1, Session);
    if (!BadCell)
        return true;
    PageControl1 = BadCell->direction;
    messages.showError(BadCell->message);
    return false;
}

bool CobIdDialog::SaveTables(const std::string& canCobIdFile) const
{
    try {
        SaveCobIdDocument(canCobIdFile, ASG_C0, ASG_C1);
        return true;
    } catch (const std::exception&) {
        // A failed save is silent; the dialog stays open with the tables as edited.
        return false;
    }
}

bool CobIdDialog::LbButton1Click(const std::string& canCobIdFile, MessageService& messages)
{
    if (!ValidateTables(messages))
        return false;
    try {
        SaveCobIdDocument(canCobIdFile, ASG_C0, ASG_C1);
        return true;
    } catch (const std::exception& error) {
        // Saying why the tables were not saved beats a dialog that silently
        // refuses to close; the old file and the edited tables are both kept.
        messages.showError(GeneralErrorText(error.what()));
        return false;
    }
}

bool CobIdDialog::LbButton3Click(MessageService& messages)
{
    if (!messages.confirm(kMsgConfirmCompileAll))
        return false;
    CobIdTable& table = ShownTable();
    // The button exists only for the 2048-row table; the bound keeps a
    // shorter table safe all the same.
    std::size_t rows = std::min(table.size(), kStandardTableLength);
    for (std::size_t r = 0; r < rows; ++r) {
        table[r].Orig_CobID = std::to_string(r);
        table[r].Mod_CobID = table[r].Orig_CobID;
    }
    return true;
}

bool CobIdDialog::LbButton4Click(MessageService& messages)
{
    if (!messages.confirm(kMsgConfirmCancelAll))
        return false;
    for (CobIdRow& row : ShownTable()) {
        row.Orig_CobID.clear();
        row.Mod_CobID.clear();
    }
    return true;
}

} // namespace c2c
