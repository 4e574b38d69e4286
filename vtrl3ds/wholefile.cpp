// Whole-file writes of private/wholefile.h: a temporary file beside the target, renamed over it
// when every byte is on disk. Raises EFileError (with errno) naming the caller, the file and why.
#include "vtrl3ds/private/wholefile.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "vtrl3ds/errors.h"

namespace vtrl3ds_internal {

namespace {

[[noreturn]] void failed(const char* routine, const std::string& fileName, const char* what, int error) {
    throw EFileError(std::string(routine) + ": '" + fileName + "': " + what + ": " + std::strerror(error),
                     error);
}

// A name no other writer in this or another process picks at the same time.
std::string temporaryName(const std::string& fileName) {
    static std::atomic<unsigned> serial{0};
    return fileName + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(serial++);
}

}  // namespace

void writeWholeFile(const std::string& FileName, const std::string& Bytes, const char* Routine) {
    const std::string temp = temporaryName(FileName);
    std::FILE* file = std::fopen(temp.c_str(), "wb");
    if (!file) failed(Routine, FileName, "cannot create", errno);
    const bool written = std::fwrite(Bytes.data(), 1, Bytes.size(), file) == Bytes.size();
    int error = errno;
    const bool closed = std::fclose(file) == 0;
    if (written && !closed) error = errno;
    if (written && closed) {
        // std::filesystem::rename replaces an existing file on Windows too (std::rename does not).
        std::error_code renamed;
        std::filesystem::rename(temp, FileName, renamed);
        if (!renamed) return;
        error = renamed.default_error_condition().value();
    }
    std::remove(temp.c_str());
    failed(Routine, FileName, "cannot write", error);
}

}  // namespace vtrl3ds_internal
