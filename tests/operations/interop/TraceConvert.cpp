// A helper of the interop test with python-can: reads a trace of any
// format and either writes its frames in another format or lists them, one
// a line, for the script to compare.
//
// usage: trace_convert IN OUT FORMAT    (FORMAT: candump, asc, trc, blf)
//        trace_convert --list IN        (time_ns port id extended remote dlc data)
//        trace_convert --count IN       (the frames, for bench/trace_formats.sh)

#include "operations/TraceFormats.h"
#include "platform/Error.h"
#include "platform/StagedFile.h"

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    using namespace c2c;
    try {
        const std::string in = argc == 3 ? std::string(argv[2]) : argc > 1 ? std::string(argv[1]) : std::string();
        auto report = [&](std::uint64_t line, const char* problem) { std::cerr << in << ":" << line << ": " << problem << "\n"; };
        if (argc == 3 && std::string(argv[1]) == "--count") {
            auto source = OpenTraceFrames(in, InterfacePorts(), -1, report);
            TraceFrame f;
            std::uint64_t frames = 0, sum = 0;
            while (source->Next(f)) {
                ++frames;
                sum += f.id + f.data[0]; // every frame looked at
            }
            std::printf("%llu frames (%llu)\n", static_cast<unsigned long long>(frames),
                        static_cast<unsigned long long>(sum));
            return 0;
        }
        if (argc == 3 && std::string(argv[1]) == "--list") {
            auto source = OpenTraceFrames(in, InterfacePorts(), -1, report);
            TraceFrame f;
            while (source->Next(f)) {
                std::printf("%lld %d %u %d %d %u", static_cast<long long>(f.time), f.port, f.id, f.extended ? 1 : 0,
                            f.remote ? 1 : 0, f.dlc);
                for (int i = 0; i < (f.remote ? 0 : (f.dlc < 8 ? f.dlc : 8)); ++i)
                    std::printf(" %02X", f.data[static_cast<std::size_t>(i)]);
                std::printf("\n");
            }
            return source->Counts().malformed == 0 ? 0 : 1;
        }
        if (argc == 4) {
            const auto format = TraceFormatOfKey(argv[3]);
            if (!format)
                return 2;
            auto source = OpenTraceFrames(in, InterfacePorts(), -1, report);
            StagedFile out(argv[2]);
            auto writer = MakeTraceWriter(*format, out, {"can0", "can1"});
            TraceFrame f;
            while (source->Next(f))
                writer->Add(f);
            writer->Finish();
            out.Install();
            return source->Counts().malformed == 0 ? 0 : 1;
        }
        std::cerr << "usage: trace_convert IN OUT FORMAT | trace_convert --list IN\n";
        return 2;
    } catch (const Error& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
}
