#pragma once
// The configuration report: a record of one configuration for change
// control, to read on screen and to sign on paper. One self-contained HTML5
// page (inline style sheet and pictures, nothing fetched) holding:
// - what it is: the project and its folder, the source, the program and
//   its version, the date; for a firmware its SHA-256, and the CRC-32 of
//   banks 1 and 2 as composed, so the printed record names the bytes that
//   were flashed; whether the source holds what its project builds now;
//   a summary of what passes, what check finds and what changes;
// - the settings;
// - a filter map per direction (the window's colours, patterns and
//   legend) with the counts passed unchanged, translated and blocked;
// - the rows of both tables, CANopen identifiers grouped by node and
//   service, the other rows in order, each with what the device does;
// - everything check finds, and the image's own warnings;
// - against another configuration, what the device does differently (diff);
// - with traces of both lines, what each line will carry with the device:
//   the load picture, each line's figures and peaks, and the conflicts;
// - a sign-off block: prepared, checked, approved.
// Printed (A4), each section starts a page under a running header with the
// project, the date and the page.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace c2c {

// The traffic section: what each line will carry with the device in place,
// from traces recorded on the lines without it (the traffic analysis).
struct ReportTraffic {
    // candump -l traces; each frame is on the port of its interface.
    std::vector<std::string> traces;
    // Interface names and their ports (0 or 1), besides can0 and can1.
    std::vector<std::pair<std::string, int>> interfaces;
    // Each line's bit rate in kbit/s; 0: the image's.
    std::array<int, 2> bitRateKbps{};
    std::int64_t latencyNs = 0;
    int windowMs = 100;
    std::optional<std::uint64_t> queue; // nothing: no limit
};

struct ReportRequest {
    // A project folder, a firmware, a bin folder or a bank1.bin.
    std::string source;
    // Compared with this one (as diff A B, the source being B); empty: none.
    std::string against;
    // The page's title; empty: "Configuration of " and the project (or the source's name).
    std::string title;
    // With traces, the traffic section.
    std::optional<ReportTraffic> traffic;
    // The date and time the report states; empty: now, in local time
    // with its offset from UTC ("2025-06-02 14:05 +0200").
    std::string date;
};

// The page. Throws Error when a source or a trace cannot be read, a
// project source does not build, or a line's bit rate is neither given nor
// in the image (the dip switch sets it).
std::string ConfigurationReportHtml(const ReportRequest& request);

// Why the report may not be written to `out`, or empty when it may: a file
// it reads (a source or a trace), a document of a project, a bank file or bankg.c, or a working
// file of the composition (names compared in any letter case).
std::string ReportOutputRefusal(const std::string& out, const ReportRequest& request);

// The page written to `out` through a temporary file beside it, renamed
// over it when complete. Throws Error; a file of that name stays as it was then.
void WriteConfigurationReport(const ReportRequest& request, const std::string& out);

} // namespace c2c
