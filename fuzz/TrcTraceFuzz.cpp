// The TRC trace reader over any bytes (see TraceFormatFuzz.h).

#include "TraceFormatFuzz.h"
#include "operations/TrcTrace.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    c2c::fuzz::FuzzTraceReader<c2c::TrcFrameSource>(data, size, c2c::TraceFormat::Trc);
    return 0;
}
