// libFuzzer target: arbitrary bytes as -lh5- family data, our decoder against the other readers.
#include "unlha32/fuzz/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return unlha::fuzz::compareDecoders(data, size);
}
