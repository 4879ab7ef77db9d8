#include "platform/bmp24.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

using namespace platform;

namespace {

using Bytes = std::vector<std::uint8_t>;

// Keeps every strip handed over; its buffer starts dirty, so padding the writer forgets shows.
struct KeepingSink : bmp24::StripSink {
    explicit KeepingSink(std::size_t size) : buffer_(size, 0xAA) {}
    std::uint8_t* buffer() override { return buffer_.data(); }
    std::size_t bufferSize() const override { return buffer_.size(); }
    void submit(std::size_t bytes) override
    {
        ASSERT_LE(bytes, buffer_.size());
        written.insert(written.end(), buffer_.begin(), buffer_.begin() + std::ptrdiff_t(bytes));
        strips.push_back(bytes);
        std::fill(buffer_.begin(), buffer_.end(), std::uint8_t{0xAA});
    }
    Bytes written;
    std::vector<std::size_t> strips;

private:
    Bytes buffer_;
};

// Pixel byte i of row y (from 1), the same value wherever it is written or read.
std::uint8_t pixelByte(int y, int i) { return std::uint8_t(16 * y + i + 1); }

// The file by hand: the 54 header bytes, then each row's pixel bytes and its zero padding.
Bytes expectedFile(int width, int height, int padding)
{
    const auto h = bmp24::header(width, height);
    Bytes file(h.begin(), h.end());
    for (int y = 1; y <= height; ++y) {
        for (int i = 0; i < 3 * width; ++i)
            file.push_back(pixelByte(y, i));
        file.insert(file.end(), std::size_t(padding), 0);
    }
    return file;
}

Bytes writeFile(int width, int height, std::size_t bufferSize, std::vector<std::size_t>* strips = nullptr)
{
    KeepingSink sink(bufferSize);
    bmp24::RowWriter rows(sink, width, height);
    for (int y = 1; y <= height; ++y) {
        std::uint8_t* row = rows.nextRow();
        for (int i = 0; i < 3 * width; ++i)
            row[i] = pixelByte(y, i);
    }
    rows.finish();
    if (strips)
        *strips = sink.strips;
    return sink.written;
}

TEST(Bmp24Rows, WriterPadsEveryRowWithZerosWhateverTheStripSize)
{
    const struct { int width, height, padding; } cases[] = {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 2, 0}, {5, 3, 1}};
    for (const auto& c : cases) {
        const std::size_t stride = std::size_t(3 * c.width + c.padding);
        // One row a strip (the header shares the first), a few rows a strip, and all in one.
        for (std::size_t size : {54 + stride, 54 + 2 * stride + 1, std::size_t{4096}}) {
            EXPECT_EQ(writeFile(c.width, c.height, size), expectedFile(c.width, c.height, c.padding))
                << c.width << " x " << c.height << ", strip " << size;
        }
    }
}

TEST(Bmp24Rows, WriterFillsStripsAndRefusesOneTooSmallForARow)
{
    std::vector<std::size_t> strips;
    writeFile(4, 3, 54 + 2 * 12, &strips); // stride 12: header and two rows, then the last row
    EXPECT_EQ(strips, (std::vector<std::size_t>{78, 12}));

    KeepingSink tiny(54 + 11);
    EXPECT_THROW(bmp24::RowWriter(tiny, 4, 1), std::length_error);
}

struct Bmp24RowReader : ::testing::Test {
    std::string path;
    int fd = -1;
    void SetUp() override
    {
        char tmpl[] = "/tmp/velmor-rows-XXXXXX";
        fd = ::mkstemp(tmpl);
        path = tmpl;
    }
    void TearDown() override
    {
        ::close(fd);
        ::unlink(path.c_str());
    }
    void store(const Bytes& bytes) const
    {
        ASSERT_EQ(::ftruncate(fd, 0), 0);
        ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), 0), ssize_t(bytes.size()));
    }
};

TEST_F(Bmp24RowReader, ReadsRowsWithTheirPaddingOrPixelsOnly)
{
    store(expectedFile(2, 3, 2)); // stride 8
    const bmp24::RowReader rows(fd, 2);

    // At the stride: rows 2 and 3 in one piece, padding included.
    Bytes strip(16, 0xAA);
    ASSERT_TRUE(rows.read(2, 2, strip.data(), 8));
    EXPECT_EQ(strip, (Bytes{33, 34, 35, 36, 37, 38, 0, 0, 49, 50, 51, 52, 53, 54, 0, 0}));

    // Packed: pixel bytes only, and nothing past the rows is touched.
    Bytes packed(19, 0xAA);
    ASSERT_TRUE(rows.read(1, 3, packed.data(), 6));
    EXPECT_EQ(packed, (Bytes{17, 18, 19, 20, 21, 22, 33, 34, 35, 36, 37, 38, 49, 50, 51, 52, 53, 54, 0xAA}));
}

TEST_F(Bmp24RowReader, AShortFileIsReportedAndAFailedReadThrows)
{
    Bytes file = expectedFile(2, 3, 2);
    file.erase(file.end() - 3, file.end()); // the last row lacks a pixel byte and its padding
    store(file);
    const bmp24::RowReader rows(fd, 2);
    Bytes dst(24);
    EXPECT_TRUE(rows.read(1, 2, dst.data(), 8));
    EXPECT_FALSE(rows.read(1, 3, dst.data(), 8));
    EXPECT_FALSE(rows.read(3, 1, dst.data(), 6));
    EXPECT_FALSE(rows.read(4, 1, dst.data(), 6)); // past the end altogether

    const int writeOnly = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(writeOnly, 0);
    EXPECT_THROW(bmp24::RowReader(writeOnly, 2).read(1, 1, dst.data(), 8), std::system_error);
    ::close(writeOnly);
}

// Rows handed over top first land in their stored place, bottom-up, in bands of any size.
TEST_F(Bmp24RowReader, TopDownWriterPutsEachRowInItsPlaceWhateverTheBandSize)
{
    const struct { int width, height, padding; } cases[] = {{1, 1, 1}, {2, 5, 2}, {5, 3, 1}, {4, 7, 0}};
    for (const auto& c : cases) {
        const std::size_t stride = std::size_t(3 * c.width + c.padding);
        // One row a band, a band that leaves a partial one at the bottom, and all in one.
        for (std::size_t band : {stride, 2 * stride + 1, std::size_t{4096}}) {
            ASSERT_EQ(::ftruncate(fd, 0), 0);
            bmp24::TopDownRowWriter rows(fd, c.width, c.height, band);
            for (int y = c.height; y >= 1; --y) {
                std::uint8_t* row = rows.nextRow();
                for (int i = 0; i < 3 * c.width; ++i)
                    row[i] = pixelByte(y, i);
            }
            rows.finish();
            Bytes file(std::size_t(bmp24::fileSize(c.width, c.height)) + 1, 0xAA);
            ASSERT_EQ(::pread(fd, file.data(), file.size(), 0), ssize_t(file.size() - 1)) << "nothing past the end";
            file.pop_back();
            EXPECT_EQ(file, expectedFile(c.width, c.height, c.padding)) << c.width << " x " << c.height << ", band " << band;
        }
    }
}

} // namespace
