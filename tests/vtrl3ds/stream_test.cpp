// File and memory streams: reads short only at the end, relative seeks (past the end allowed,
// before the start refused), and open failures that name the file and the reason.
#include <gtest/gtest.h>

#include <filesystem>

#include "vtrl3ds/errors.h"
#include "vtrl3ds/stream.h"
#include "support/temp_dir.h"

namespace {

// Reads, seeks and sizes the same way on any stream holding the bytes 0..9.
void checkTenBytes(TStream& s) {
    uint8_t b[8] = {};
    EXPECT_EQ(s.Size(), 10);
    EXPECT_EQ(s.Read(b, 3), 3);
    EXPECT_EQ(b[2], 2);
    s.Seek(4);
    EXPECT_EQ(s.Position(), 7);
    EXPECT_EQ(s.Read(b, 8), 3);  // short at the end
    EXPECT_EQ(b[0], 7);
    EXPECT_EQ(s.Position(), 10);
    s.Seek(-10);
    EXPECT_EQ(s.Read(b, 1), 1);
    EXPECT_EQ(b[0], 0);
    s.Seek(100);
    EXPECT_EQ(s.Position(), 101);
    EXPECT_EQ(s.Read(b, 1), 0);
    EXPECT_THROW(s.Seek(-102), EStreamError);
    EXPECT_EQ(s.Position(), 101);
}

TEST(Stream, memory_view_and_owned_bytes_read_and_seek_alike) {
    std::vector<uint8_t> bytes = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    TMemoryStream view(bytes.data(), bytes.size());
    checkTenBytes(view);
    TMemoryStream owned(bytes);
    bytes.assign(10, 0xEE);  // the owned copy does not follow the caller's vector
    checkTenBytes(owned);
}

TEST(Stream, file_stream_reads_and_seeks_like_memory) {
    TempDir dir;
    TFileStream file(dir.write("ten.bin", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    checkTenBytes(file);
}

TEST(Stream, open_failures_name_the_file_and_the_reason) {
    try {
        TFileStream missing("no/such/model.3ds");
        FAIL();
    } catch (const EStreamError& e) {
        EXPECT_STREQ(e.what(), "TFileStream: 'no/such/model.3ds': cannot open: No such file or directory");
    }
    const std::string dir = std::filesystem::temp_directory_path().string();
    try {
        TFileStream folder(dir);
        FAIL();
    } catch (const EStreamError& e) {
        EXPECT_EQ(std::string(e.what()), "TFileStream: '" + dir + "': not a regular file: Is a directory");
    }
}

}  // namespace
