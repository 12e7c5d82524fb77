// The BLF trace reader over any bytes (see TraceFormatFuzz.h).

#include "TraceFormatFuzz.h"
#include "operations/BlfTrace.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    c2c::fuzz::FuzzTraceReader<c2c::BlfFrameSource>(data, size, c2c::TraceFormat::Blf);
    return 0;
}
