#pragma once
// The filter map: what the device does with each of the 2048 standard
// identifiers arriving on one port (passed unchanged, translated, blocked),
// as 64 identifiers a line and 32 lines, and how the map draws each kind.
// The window's map and its legend, and the report's picture, take their
// colours and patterns from here, so a printed map reads like the one on
// screen.

#include "documents/CanFrame.h"
#include "image/Forwarding.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace c2c {

// What the map shows for one standard identifier.
enum class MapKind : std::uint8_t { Passed, Translated, Blocked, NotReceived };
inline constexpr std::array<const char*, 3> kMapKindNames = {"Passed unchanged", "Translated", "Blocked"};

// 64 identifiers a line, 32 lines.
inline constexpr int kMapColumns = 64;
inline constexpr int kMapRows = 32;
// The drawing, in the window's pixels: a cell and the grid line after it,
// and the room for the line labels ("0x7C0") and column labels ("+00").
inline constexpr int kMapPitch = 12;
inline constexpr int kMapLeftMargin = 46;
inline constexpr int kMapTopMargin = 18;
// Every line is labelled with its first identifier, and every
// kMapLabelStep-th column with what it adds to it, over a tick that every
// column has: the label and the cells always agree.
inline constexpr int kMapLabelStep = 8;
// "0x040" for line 1.
std::string MapLineLabel(int line);
// "+08" for column 8.
std::string MapColumnLabel(int column);

MapKind MapKindOf(const Route& route, const CanFrameId& frame);

// The map of the standard identifiers that arrive on the port of `direction`.
using FilterMap = std::array<MapKind, kStandardIdCount>;
FilterMap FilterMapOf(const ForwardingModel& model, int direction);
// How many identifiers of the map are of `kind`.
std::size_t CountOf(const FilterMap& map, MapKind kind);

// How a kind is drawn: a fill, and a pattern of lines in the ink colour
// over it, so that the kinds stay apart without colour (printed in grey).
struct MapColor {
    std::uint8_t red, green, blue;
};
enum class MapPattern : std::uint8_t {
    None,
    RisingDiagonal, // lines from the lower left to the upper right
    DiagonalCross,  // both diagonals
};
struct MapKindLook {
    MapColor fill;
    MapPattern pattern;
    MapColor ink;
};
MapKindLook LookOf(MapKind kind);

// "#6EBA5C".
std::string ColorText(MapColor color);

// The map as an SVG picture for an HTML page: the column labels ("+00" ..
// "+38") and ticks, the line labels ("0x000", "0x040", ..), the cells drawn
// as the window draws them, each run of a kind in a line titled with its identifiers and kind.
// `id` is unique on the page (the picture's patterns are named after it);
// `label` names the picture for a screen reader.
std::string FilterMapSvg(const FilterMap& map, const std::string& id, const std::string& label);
// A legend swatch of a kind, `size` pixels square, as SVG; `id` as above.
std::string MapSwatchSvg(MapKind kind, int size, const std::string& id);

} // namespace c2c
