// The ASC trace reader over any bytes (see TraceFormatFuzz.h).

#include "TraceFormatFuzz.h"
#include "operations/AscTrace.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    c2c::fuzz::FuzzTraceReader<c2c::AscFrameSource>(data, size, c2c::TraceFormat::Asc);
    return 0;
}
