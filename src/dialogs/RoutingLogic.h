#pragma once
// The "Check routing" view of Set CobID Access: what the device will do with
// frames under the tables as they are in the grid now, before OK. The
// tables and the window's frame formats are built into an image in memory,
// as the build would build them, and asked through the forwarding model,
// the one that `route` and `replay` ask: the view and the command line
// cannot disagree.
//
// The view shows a filter map of the 2048 standard identifiers (passed
// unchanged, translated, blocked), a box to ask one identifier, and, in the
// extended layout, the listed 29-bit identifiers. A table with a bad cell
// gives its message instead.

#include "documents/CobIdTables.h"
#include "image/Forwarding.h"
#include "operations/FilterMap.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace c2c {

inline constexpr const char* kCheckRoutingCaption = "Check routing...";
inline constexpr const char* kRoutingCaption = "Check routing";

// A listed 29-bit identifier and its route.
struct ListedIdentifier {
    std::uint32_t id;
    std::string text; // "0x18FF0701 -> 0x00000701 (...), row N° 4"
};

class RoutingLogic {
public:
    // The view of `tables` under `formats` (frame formats and Positive
    // Implementation of Set CobID Access), the direction `direction` shown.
    RoutingLogic(const CobIdTables& tables, const CommSession& formats, int direction);

    int direction;

    // Why there is no map (a bad cell, in the words of OK's check), or empty.
    const std::string& Problem() const { return problem_; }
    bool Extended() const;

    // The map of the shown direction.
    MapKind Kind(std::uint32_t id) const;
    // How many of the 2048 identifiers are of each kind.
    std::size_t Count(MapKind kind) const;
    // A cell's tooltip: "Translated: 0x181 -> 0x1C1 (listed, ...)\nrow N° 3".
    std::string CellText(std::uint32_t id) const;
    // The listed identifiers above 0x7FF, ascending, as 29-bit frames.
    std::vector<ListedIdentifier> ListedExtended() const;
    // Why that list is empty ("None: frames of this table arrive on CAN0,
    // which runs CAN 2.0A (0x000 to 0x7FF) and takes no 29-bit frame"), or
    // nothing when it is not.
    std::optional<std::string> ListedExtendedNote() const;
    // One line on top of the map, e.g. "Positive Implementation set: 2 of
    // the 2048 standard identifiers pass from CAN0 to CAN1, 2046 are blocked".
    std::string Summary() const;

    // The box: the outcome of the identifier typed (the program's integer
    // syntax), as a 29-bit frame when `extended` or above 0x7FF, or why it
    // is no identifier. Empty without a model: Problem() says why.
    std::string Check(std::string_view text, bool extended) const;

    // The model of the tables, or none with a Problem().
    const ForwardingModel* Model() const { return model_.get(); }
    // The row of table `direction` whose entry the image holds for `id`.
    std::optional<std::size_t> RowIn(int direction, std::uint32_t id) const;

private:
    std::string RouteLine(const CanFrameId& frame) const;

    std::string problem_;
    std::unique_ptr<ForwardingModel> model_;
    // Per direction: the translations of the image, and the row each listed
    // identifier comes from (the later row in the standard layout, where it
    // overwrites, the first in the extended one, where the first entry counts).
    std::array<std::vector<Translation>, 2> listed_;
    std::array<std::vector<std::pair<std::uint32_t, std::size_t>>, 2> rows_;
};

} // namespace c2c
