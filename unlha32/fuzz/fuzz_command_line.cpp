// libFuzzer target: arbitrary bytes as a command line.
#include "unlha32/fuzz/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return unlha::fuzz::parseLine(data, size);
}
