#include "operations/FilterMap.h"

#include "operations/HtmlText.h"
#include "platform/HexDigits.h"

namespace c2c {

namespace {

constexpr int kPitch = kMapPitch;
constexpr int kLeftMargin = kMapLeftMargin;
constexpr int kTopMargin = kMapTopMargin;
constexpr int kTile = 8;        // a pattern repeats every 8 units, as Qt's brush patterns do

const char* PatternId(MapKind kind)
{
    switch (kind) {
    case MapKind::Passed:
        return "passed";
    case MapKind::Translated:
        return "translated";
    case MapKind::Blocked:
        return "blocked";
    case MapKind::NotReceived:
        break;
    }
    return "notreceived";
}

// The lines of a kind's pattern over the box (x, y, width, height), in
// the ink colour, drawn only inside the clip path `clipId`. Lines, not an
// SVG pattern: a browser prints lines as lines, and a pattern as a coarse
// picture. They lie on the same grid of 8 units that Qt's brush patterns
// repeat on, so they run on from cell to cell.
std::string HatchSvg(const MapKindLook& look, const std::string& clipId, int x, int y, int width, int height)
{
    std::string d;
    auto line = [&d](int x1, int y1, int x2, int y2) {
        d += "M" + std::to_string(x1) + "," + std::to_string(y1) + "L" + std::to_string(x2) + "," + std::to_string(y2);
    };
    const int bottom = y + height;
    // Rising lines: x + y = 8k.
    for (int k = (x + y) / kTile; k * kTile <= x + width + bottom; ++k)
        line(k * kTile - bottom, bottom, k * kTile - y, y);
    if (look.pattern == MapPattern::DiagonalCross) {
        // Falling lines: x - y = 8k.
        for (int k = (x - bottom) / kTile - 1; k * kTile <= x + width - y; ++k)
            line(k * kTile + y, y, k * kTile + bottom, bottom);
    }
    return "<path d=\"" + d + "\" stroke=\"" + ColorText(look.ink) + "\" stroke-width=\"1\" fill=\"none\" clip-path=\"url(#" +
           clipId + ")\"/>";
}

std::string KindWord(MapKind kind)
{
    return kind == MapKind::NotReceived ? "not received" : kMapKindNames[static_cast<std::size_t>(kind)];
}

} // namespace

MapKind MapKindOf(const Route& route, const CanFrameId& frame)
{
    switch (route.outcome) {
    case RouteOutcome::Passed:
        return route.Changes(frame) ? MapKind::Translated : MapKind::Passed;
    case RouteOutcome::Blocked:
        return MapKind::Blocked;
    case RouteOutcome::NotReceived:
        break;
    }
    return MapKind::NotReceived;
}

FilterMap FilterMapOf(const ForwardingModel& model, int direction)
{
    FilterMap map{};
    for (std::uint32_t id = 0; id < kStandardIdCount; ++id) {
        const CanFrameId frame{id, false};
        map[id] = MapKindOf(model.RouteFrame(ArrivingPort(direction), frame), frame);
    }
    return map;
}

std::size_t CountOf(const FilterMap& map, MapKind kind)
{
    std::size_t count = 0;
    for (MapKind k : map)
        count += k == kind ? 1 : 0;
    return count;
}

MapKindLook LookOf(MapKind kind)
{
    switch (kind) {
    case MapKind::Passed:
        return {{110, 186, 92}, MapPattern::None, {110, 186, 92}};
    case MapKind::Translated:
        return {{52, 110, 196}, MapPattern::RisingDiagonal, {255, 255, 255}};
    case MapKind::Blocked:
        return {{236, 236, 236}, MapPattern::DiagonalCross, {150, 150, 150}};
    case MapKind::NotReceived:
        break;
    }
    return {{255, 255, 255}, MapPattern::None, {255, 255, 255}};
}

std::string MapLineLabel(int line)
{
    return "0x" + HexText(static_cast<unsigned>(line * kMapColumns), 3);
}

std::string MapColumnLabel(int column)
{
    return "+" + HexText(static_cast<unsigned>(column), 2);
}

std::string ColorText(MapColor color)
{
    return "#" + HexText(color.red, 2) + HexText(color.green, 2) + HexText(color.blue, 2);
}

std::string FilterMapSvg(const FilterMap& map, const std::string& id, const std::string& label)
{
    const int width = kLeftMargin + kMapColumns * kPitch + 2;
    const int height = kTopMargin + kMapRows * kPitch + 2;
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"map\" viewBox=\"0 0 " + std::to_string(width) +
                      " " + std::to_string(height) + "\" role=\"img\" aria-label=\"" + HtmlEscaped(label) + "\">";
    svg += "<g class=\"labels\">";
    for (int column = 0; column < kMapColumns; column += kMapLabelStep)
        svg += "<text x=\"" + std::to_string(kLeftMargin + column * kPitch) + "\" y=\"" +
               std::to_string(kTopMargin - 6) + "\">" + MapColumnLabel(column) + "</text>";
    for (int line = 0; line < kMapRows; ++line)
        svg += "<text x=\"" + std::to_string(kLeftMargin - 6) + "\" y=\"" +
               std::to_string(kTopMargin + line * kPitch + 9) + "\" text-anchor=\"end\">" + MapLineLabel(line) +
               "</text>";
    std::string ticks;
    for (int column = 0; column < kMapColumns; ++column)
        ticks += "M" + std::to_string(kLeftMargin + column * kPitch + (kPitch - 1) / 2) + ".5," +
                 std::to_string(kTopMargin - (column % kMapLabelStep == 0 ? 4 : 2)) + "V" +
                 std::to_string(kTopMargin - 1);
    svg += "<path d=\"" + ticks + "\" stroke=\"#333333\" stroke-width=\"1\"/></g>";
    // One rectangle per run of a kind within a line, the pattern's lines
    // clipped to the runs of their kind, then the grid lines between the
    // columns over them: a few hundred shapes, not 2048.
    std::array<std::string, 4> clips; // per kind: the rectangles of its runs
    for (int line = 0; line < kMapRows; ++line) {
        for (int column = 0; column < kMapColumns;) {
            const std::size_t first = static_cast<std::size_t>(line * kMapColumns + column);
            const MapKind kind = map[first];
            int end = column + 1;
            while (end < kMapColumns && map[static_cast<std::size_t>(line * kMapColumns + end)] == kind)
                ++end;
            const auto last = static_cast<unsigned>(line * kMapColumns + end - 1);
            const std::string ids = "0x" + HexText(static_cast<unsigned>(first), 3) +
                                    (end - column > 1 ? "-0x" + HexText(last, 3) : std::string());
            const std::string box = "x=\"" + std::to_string(kLeftMargin + column * kPitch) + "\" y=\"" +
                                    std::to_string(kTopMargin + line * kPitch) + "\" width=\"" +
                                    std::to_string((end - column) * kPitch - 1) + "\" height=\"" +
                                    std::to_string(kPitch - 1) + "\"";
            svg += "<rect " + box + " fill=\"" + ColorText(LookOf(kind).fill) + "\"><title>" + ids + ": " +
                   KindWord(kind) + "</title></rect>";
            clips[static_cast<std::size_t>(kind)] += "<rect " + box + "/>";
            column = end;
        }
    }
    for (MapKind kind : {MapKind::Passed, MapKind::Translated, MapKind::Blocked}) {
        const MapKindLook look = LookOf(kind);
        const std::string& clip = clips[static_cast<std::size_t>(kind)];
        if (look.pattern == MapPattern::None || clip.empty())
            continue;
        const std::string clipId = id + "-" + PatternId(kind);
        svg += "<clipPath id=\"" + clipId + "\">" + clip + "</clipPath>";
        svg += HatchSvg(look, clipId, kLeftMargin, kTopMargin, kMapColumns * kPitch, kMapRows * kPitch);
    }
    std::string grid;
    for (int column = 1; column < kMapColumns; ++column)
        grid += "M" + std::to_string(kLeftMargin + column * kPitch - 1) + ".5," + std::to_string(kTopMargin) + "v" +
                std::to_string(kMapRows * kPitch - 1);
    svg += "<path d=\"" + grid + "\" stroke=\"#FFFFFF\" stroke-width=\"1\"/>";
    return svg + "</svg>";
}

std::string MapSwatchSvg(MapKind kind, int size, const std::string& id)
{
    const MapKindLook look = LookOf(kind);
    const std::string side = std::to_string(size);
    const std::string box = "width=\"" + side + "\" height=\"" + side + "\"";
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"swatch\" " + box + " viewBox=\"0 0 " + side +
                      " " + side + "\" aria-hidden=\"true\"><rect " + box + " fill=\"" + ColorText(look.fill) + "\"/>";
    if (look.pattern != MapPattern::None)
        svg += "<clipPath id=\"" + id + "\"><rect " + box + "/></clipPath>" + HatchSvg(look, id, 0, 0, size, size);
    return svg + "<rect x=\"0.5\" y=\"0.5\" width=\"" + std::to_string(size - 1) + "\" height=\"" +
           std::to_string(size - 1) + "\" fill=\"none\" stroke=\"#3C3C3C\" stroke-width=\"1\"/></svg>";
}

} // namespace c2c
