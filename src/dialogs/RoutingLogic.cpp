#include "dialogs/RoutingLogic.h"

#include "documents/CobIdChecks.h"
#include "documents/CommSettings.h"
#include "documents/IntegerText.h"
#include "image/BankImage.h"
#include "platform/Error.h"

#include <algorithm>
#include <map>

namespace c2c {

namespace {

// The settings the build would read, made of the window's formats; the bit
// rates play no part in the routing.
CommSettings SettingsOf(const CommSession& formats)
{
    CommSettings settings;
    settings.format0 = formats.CanType0;
    settings.format1 = formats.CanType1;
    settings.positive = formats.PositiveImpl ? 1 : 0;
    return settings;
}

} // namespace

RoutingLogic::RoutingLogic(const CobIdTables& tables, const CommSession& formats, int shown) : direction(shown)
{
    if (auto error = FindCobIdError(tables, formats)) {
        problem_ = "The routing cannot be shown: " + error->message;
        return;
    }
    // What OK lets through but the build stops at (no integer, where the
    // type number checks no range), named as check and the build name it.
    for (const CobIdCellProblem& cell : FindCobIdCellProblems(tables, formats))
        if (StopsBuild(cell, CobIdLayout(formats))) {
            problem_ = "The routing cannot be shown: " + CobIdCellProblemText(tables, formats, cell);
            return;
        }
    try {
        auto image = std::make_unique<BankImage>();
        BuildBankImage(SettingsOf(formats), tables, *image);
        const DecodedImage decoded = DecodeBankImage(image->Bank(1), image->Bank(2));
        model_ = std::make_unique<ForwardingModel>(decoded);
        listed_ = decoded.translations;
    } catch (const Error& error) {
        problem_ = std::string("The routing cannot be shown: ") + error.what();
        return;
    }
    for (int d : {kCan0ToCan1, kCan1ToCan0}) {
        std::map<std::uint32_t, std::size_t> rows;
        const CobIdTable& table = tables.Table(d);
        for (std::size_t r = 0; r < table.size(); ++r) {
            const auto id = TryParseInteger(table[r].Orig_CobID);
            if (!id)
                continue;
            const auto key = static_cast<std::uint32_t>(*id);
            if (!model_->Extended())
                rows[key] = r; // the later row overwrites the entry
            else
                rows.emplace(key, r); // the first entry is taken
        }
        rows_[static_cast<std::size_t>(d)].assign(rows.begin(), rows.end());
    }
}

bool RoutingLogic::Extended() const
{
    return model_ && model_->Extended();
}

MapKind RoutingLogic::Kind(std::uint32_t id) const
{
    if (!model_)
        return MapKind::NotReceived;
    const CanFrameId frame{id, false};
    return MapKindOf(model_->RouteFrame(ArrivingPort(direction), frame), frame);
}

std::size_t RoutingLogic::Count(MapKind kind) const
{
    std::size_t count = 0;
    for (std::uint32_t id = 0; id < kStandardIdCount; ++id)
        count += Kind(id) == kind ? 1 : 0;
    return count;
}

std::optional<std::size_t> RoutingLogic::RowIn(int table, std::uint32_t id) const
{
    const auto& rows = rows_[table == kCan1ToCan0 ? 1 : 0];
    auto it = std::lower_bound(rows.begin(), rows.end(), std::make_pair(id, std::size_t{0}));
    if (it == rows.end() || it->first != id)
        return std::nullopt;
    return it->second;
}

std::string RoutingLogic::RouteLine(const CanFrameId& frame) const
{
    const CanPort from = ArrivingPort(direction);
    const Route route = model_->RouteFrame(from, frame);
    std::string text = model_->RouteText(from, frame, route);
    if (route.entries > 0)
        if (const auto row = RowIn(direction, frame.id))
            text += ", row N\u00B0 " + std::to_string(*row);
    return text;
}

std::string RoutingLogic::CellText(std::uint32_t id) const
{
    if (!model_)
        return problem_;
    const MapKind kind = Kind(id);
    const std::string name = kind == MapKind::NotReceived ? "Not received" : kMapKindNames[static_cast<std::size_t>(kind)];
    std::string line = RouteLine({id, false});
    // "0x181 -> 0x1C1 (...), row N° 3" -> "...)\nrow N° 3"
    const std::size_t row = line.rfind(", row N\u00B0 ");
    if (row != std::string::npos)
        line.replace(row, 2, "\n");
    return name + ": " + line;
}

std::vector<ListedIdentifier> RoutingLogic::ListedExtended() const
{
    std::vector<ListedIdentifier> listed;
    if (!model_)
        return listed;
    for (const Translation& t : listed_[direction == kCan1ToCan0 ? 1 : 0])
        if (!FitsFrameFormat(t.original, FrameFormat::Standard) && (listed.empty() || listed.back().id != t.original))
            listed.push_back({t.original, RouteLine({t.original, true})});
    return listed;
}

std::optional<std::string> RoutingLogic::ListedExtendedNote() const
{
    if (!model_ || !ListedExtended().empty())
        return std::nullopt;
    const CanPort arriving = ArrivingPort(direction);
    if (!model_->PortTakesExtended(arriving))
        return "None: frames of this table arrive on " + PortRunsText(arriving, FrameFormat::Standard) +
               " and takes no 29-bit frame";
    return std::string("None: no identifier above 0x7FF is listed in ") +
           kCobIdTableNames[static_cast<std::size_t>(direction == kCan1ToCan0 ? 1 : 0)];
}

std::string RoutingLogic::Summary() const
{
    if (!model_)
        return problem_;
    const std::size_t passed = Count(MapKind::Passed);
    const std::size_t translated = Count(MapKind::Translated);
    const std::size_t blocked = Count(MapKind::Blocked);
    return std::string("Positive Implementation ") + (model_->Positive() ? "set" : "clear") + ": " +
           std::to_string(passed + translated) + " of the 2048 standard identifiers pass from " +
           kCobIdTableNames[direction == kCan1ToCan0 ? 1 : 0] + " (" + std::to_string(translated) + " translated), " +
           std::to_string(blocked) + (blocked == 1 ? " is" : " are") + " blocked";
}

std::string RoutingLogic::Check(std::string_view text, bool extended) const
{
    if (!model_ || text.empty())
        return "";
    if (const auto problem = CanIdentifierProblem(text))
        return *problem;
    const std::uint32_t id = *ParseCanIdentifier(text);
    return RouteLine(AskedFrame(id, extended));
}

} // namespace c2c
