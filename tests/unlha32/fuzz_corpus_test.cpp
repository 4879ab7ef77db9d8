// Replays the fuzz targets' saved corpus: every input that once found a fault, or widened the
// coverage, runs again in the ordinary test run.
#include <gtest/gtest.h>

#include "test_support.h"
#include "unlha32/fuzz/fuzz_entries.h"

namespace unlha {
namespace {

void replay(const std::string& folder, int (*target)(const std::uint8_t*, std::size_t))
{
    const std::string path = std::string(VELMOR_SOURCE_DIR) + "/tests/unlha32/fuzz_corpus/" + folder;
    std::size_t count = 0;
    for (const auto& name : test::listFolder(path)) {
        const test::Bytes input = test::readFile(path + "/" + name);
        SCOPED_TRACE(name);
        EXPECT_EQ(target(input.data(), input.size()), 0);
        ++count;
    }
    EXPECT_GT(count, 10u) << "the corpus in " << path << " is missing";
}

TEST(FuzzCorpus, Reader) { replay("reader", fuzz::readArchive); }
TEST(FuzzCorpus, Decoder) { replay("decoder", fuzz::compareDecoders); }
TEST(FuzzCorpus, CommandLine) { replay("command_line", fuzz::parseLine); }

} // namespace
} // namespace unlha
