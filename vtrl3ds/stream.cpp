// File and memory streams (see stream.h). Each failure raises EStreamError naming the routine,
// the file and the offset; short reads at the end are returned as counts, not raised.
#include "vtrl3ds/stream.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "vtrl3ds/errors.h"

namespace {

[[noreturn]] void fileFailure(const char* routine, const std::string& name, const char* fact, int err) {
    throw EFileError(std::string(routine) + ": '" + name + "': " + fact + ": " + std::strerror(err), err);
}

// Where Offset from Position lands; before the start is an error.
int64_t seekTarget(const char* routine, int64_t Position, int64_t Offset) {
    if (Offset < 0 && Position + Offset < 0)
        throw EStreamError(std::string(routine) + ": seek by " + std::to_string(Offset) + " from offset " +
                           std::to_string(Position) + " lands before the start");
    return Position + Offset;
}

}  // namespace

TFileStream::TFileStream(const std::string& FileName) : FFileName(FileName) {
    FFile = std::fopen(FileName.c_str(), "rb");
    if (!FFile) {
        const int err = errno;
        // Windows refuses to open a folder at all; it is named for what it is, as elsewhere.
        struct stat st {};
        if (stat(FileName.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            fileFailure("TFileStream", FileName, "not a regular file", EISDIR);
        fileFailure("TFileStream", FileName, "cannot open", err);
    }
    struct stat st {};
    if (fstat(fileno(FFile), &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : (errno ? errno : EINVAL);
        std::fclose(FFile);
        fileFailure("TFileStream", FileName, "not a regular file", err);
    }
    FSize = static_cast<int64_t>(st.st_size);
}

TFileStream::~TFileStream() {
    if (FFile) std::fclose(FFile);
}

int64_t TFileStream::Read(void* Buffer, int64_t Count) {
    if (Count <= 0 || FPosition >= FSize) return 0;
    const size_t got = std::fread(Buffer, 1, static_cast<size_t>(Count), FFile);
    if (got < static_cast<size_t>(Count) && std::ferror(FFile))
        fileFailure("TFileStream.Read", FFileName,
                    ("read error at offset " + std::to_string(FPosition)).c_str(), errno);
    FPosition += static_cast<int64_t>(got);
    return static_cast<int64_t>(got);
}

void TFileStream::Seek(int64_t Offset) {
    const int64_t target = seekTarget("TFileStream.Seek", FPosition, Offset);
    if (fseeko(FFile, static_cast<off_t>(target), SEEK_SET) != 0)
        fileFailure("TFileStream.Seek", FFileName,
                    ("cannot seek to offset " + std::to_string(target)).c_str(), errno);
    FPosition = target;
}

TMemoryStream::TMemoryStream(const void* Data, size_t Size)
    : FData(static_cast<const uint8_t*>(Data)), FSize(Data ? Size : 0) {}

TMemoryStream::TMemoryStream(std::vector<uint8_t> Data)
    : FOwned(std::move(Data)), FData(FOwned.data()), FSize(FOwned.size()) {}

int64_t TMemoryStream::Read(void* Buffer, int64_t Count) {
    if (Count <= 0 || FPosition >= static_cast<int64_t>(FSize)) return 0;
    const size_t left = FSize - static_cast<size_t>(FPosition);
    const size_t n = std::min(left, static_cast<size_t>(Count));
    std::memcpy(Buffer, FData + FPosition, n);
    FPosition += static_cast<int64_t>(n);
    return static_cast<int64_t>(n);
}

void TMemoryStream::Seek(int64_t Offset) {
    FPosition = seekTarget("TMemoryStream.Seek", FPosition, Offset);
}
