#!/usr/bin/python3
"""Interop of the program's trace readers and writers with python-can's.

Both ways, for ASC, TRC and BLF: files python-can writes are read by the
program frame for frame, and files the program writes are read by
python-can frame for frame (time, identifier, format, remote flag, DLC,
data, channel). python-can 4.1's own faults are left out of the comparison
where they are known (docs/traces.md lists them):
- its TRC writer's $STARTTIME is no date (the days and the milliseconds of
  the day side by side), and its TRC reader ignores $STARTTIME: TRC times
  are compared from the first frame on;
- its TRC writer leaves remote frames out, its TRC reader skips RR lines:
  no remote frames in the TRC comparisons;
- its TRC reader takes the bus number as the channel, not the bus less 1.

usage: trace_interop.py TRACE_CONVERT WORK_DIR
"""
import os
import subprocess
import sys

try:
    import can
except ImportError:
    print("python3-can is not installed: the interop test is skipped")
    sys.exit(77)

convert, work = sys.argv[1], sys.argv[2]
os.makedirs(work, exist_ok=True)

# Frames of both channels, both formats, remote frames, every length; times
# with microseconds, the first on a whole millisecond (python-can's BLF and
# ASC writers round the start time to it).
START = 1700000000.0
frames = []
for i in range(120):
    extended = i % 3 == 1
    remote = i % 7 == 3
    dlc = i % 9
    arbitration_id = (0x18FF0000 + i * 0x1111) & 0x1FFFFFFF if extended else (0x100 + i * 13) & 0x7FF
    frames.append(can.Message(
        timestamp=START + i * 0.001237 + (i % 5) * 0.000003,
        arbitration_id=arbitration_id,
        is_extended_id=extended,
        is_remote_frame=remote,
        dlc=dlc,
        data=b"" if remote else bytes((i * 7 + k * 31) & 0xFF for k in range(dlc)),
        channel=i % 2,
        is_rx=True,
    ))


def key(message, channel, t0):
    data = b"" if message.is_remote_frame else bytes(message.data)
    return (round((message.timestamp - t0) * 1e6), message.arbitration_id, message.is_extended_id,
            message.is_remote_frame, message.dlc, data, channel)


def expected(selection, relative, channel_of=lambda c: c):
    t0 = selection[0].timestamp if relative else 0.0
    return [key(m, channel_of(m.channel), t0) for m in selection]


def listed(path, relative):
    run = subprocess.run([convert, "--list", path], capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit(f"trace_convert --list {path} failed: {run.stderr}")
    rows = []
    for line in run.stdout.splitlines():
        parts = line.split()
        ns, port, ident, ext, remote, dlc = (int(p) for p in parts[:6])
        rows.append([ns, ident, ext == 1, remote == 1, dlc, bytes(int(b, 16) for b in parts[6:]), port])
    t0 = rows[0][0] if relative and rows else 0
    return [(round((r[0] - t0) / 1000), *r[1:]) for r in rows]


def compare(what, got, want):
    if len(got) != len(want):
        sys.exit(f"{what}: {len(got)} frames, {len(want)} expected")
    for i, (g, w) in enumerate(zip(got, want)):
        # Times to the microsecond; python's float of a 1.7e9 s time is
        # good to a quarter of one.
        if abs(g[0] - w[0]) > 1 or g[1:] != w[1:]:
            sys.exit(f"{what}: frame {i}: {g} != {w}")
    print(f"{what}: {len(got)} frames agree")


writers = {"asc": can.ASCWriter, "trc": can.TRCWriter, "blf": can.BLFWriter}
for fmt, writer_class in writers.items():
    selection = [m for m in frames if not (fmt == "trc" and m.is_remote_frame)]
    relative = fmt == "trc"

    # python-can writes, the program reads.
    path = os.path.join(work, f"python-can.{fmt}")
    writer = writer_class(path)
    for m in selection:
        writer.on_message_received(m)
    writer.stop()
    compare(f"{fmt} written by python-can, read by the program", listed(path, relative),
            expected(selection, relative))

    # The program writes (from a candump log written here), python-can reads.
    source = os.path.join(work, f"source-{fmt}.log")
    with open(source, "w") as log:
        for m in selection:
            ident = f"{m.arbitration_id:08X}" if m.is_extended_id else f"{m.arbitration_id:03X}"
            body = f"R{m.dlc or ''}" if m.is_remote_frame else bytes(m.data).hex().upper()
            log.write(f"({m.timestamp:.6f}) can{m.channel} {ident}#{body}\n")
    ours = os.path.join(work, f"program.{fmt}")
    run = subprocess.run([convert, source, ours, fmt], capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit(f"trace_convert {source} {ours} {fmt} failed: {run.stderr}")
    if fmt == "asc":
        reader = can.ASCReader(ours, relative_timestamp=False)
    elif fmt == "trc":
        reader = can.TRCReader(ours)
    else:
        reader = can.BLFReader(ours)
    got = list(reader)
    t0 = got[0].timestamp if relative and got else 0.0
    compare(f"{fmt} written by the program, read by python-can",
            [key(m, m.channel, t0) for m in got],
            expected(selection, relative, (lambda c: c + 1) if fmt == "trc" else (lambda c: c)))
