// The page's modules' files: the bytes the page hands over (vw_put), held in memory and read by
// the C library's own calls, whose system calls land here instead of in a JavaScript file system
// (the modules are linked without one). Read only; failures are the errno values a kernel gives.
#include <dirent.h>
#include <emscripten/emscripten.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <wasi/api.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;
std::map<std::string, Bytes> gFiles;  // by absolute, lexically normal path

// An open file or folder: its path, read position (for a folder, the entry reached) and entries.
struct OpenFile {
    std::string path;
    const Bytes* bytes = nullptr;  // null for a folder
    size_t at = 0;
    std::vector<std::string> entries;
};
std::vector<OpenFile> gOpen;  // descriptor 3 + i; a closed slot has an empty path
constexpr long firstFd = 3;

// Path as an absolute path without ".", ".." or repeated slashes (relative to "/").
std::string normal(const char* path) {
    std::vector<std::string> parts;
    for (const char* p = path; *p;) {
        const char* end = std::strchr(p, '/');
        const std::string part(p, end ? end : p + std::strlen(p));
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        p = end ? end + 1 : p + part.size();
    }
    std::string out;
    for (const std::string& part : parts) out += "/" + part;
    return out.empty() ? "/" : out;
}

std::string folderPrefix(const std::string& path) {
    return path == "/" ? path : path + "/";
}

// A folder is the root or any path some file lies under.
bool isFolder(const std::string& path) {
    const std::string prefix = folderPrefix(path);
    const auto it = gFiles.lower_bound(prefix);
    return path == "/" || (it != gFiles.end() && it->first.compare(0, prefix.size(), prefix) == 0);
}

// The names directly under a folder, each once, after "." and "..".
std::vector<std::string> entriesOf(const std::string& path) {
    std::vector<std::string> names{".", ".."};
    const std::string prefix = folderPrefix(path);
    for (auto it = gFiles.lower_bound(prefix);
         it != gFiles.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
        const std::string name =
            it->first.substr(prefix.size(), it->first.find('/', prefix.size()) - prefix.size());
        if (names.back() != name) names.push_back(name);
    }
    return names;
}

long fill(const std::string& path, struct stat* st) {
    const auto file = gFiles.find(path);
    if (file == gFiles.end() && !isFolder(path)) return -ENOENT;
    *st = {};
    st->st_dev = 1;
    st->st_ino = std::hash<std::string>{}(path);
    st->st_nlink = 1;
    st->st_mode = file != gFiles.end() ? S_IFREG | 0444 : S_IFDIR | 0555;
    st->st_size = file != gFiles.end() ? static_cast<off_t>(file->second.size()) : 4096;
    st->st_blksize = 4096;
    st->st_blocks = (st->st_size + 511) / 512;
    return 0;
}

OpenFile* openAt(long fd) {
    const size_t i = static_cast<size_t>(fd - firstFd);
    return fd >= firstFd && i < gOpen.size() && !gOpen[i].path.empty() ? &gOpen[i] : nullptr;
}

}  // namespace

extern "C" {

// Room for the file at Path (Size bytes, replacing any file there), for the page to fill; null
// when the module's memory cannot hold it.
EMSCRIPTEN_KEEPALIVE unsigned char* vw_put(const char* Path, size_t Size) {
    const std::string path = normal(Path);
    try {
        Bytes& bytes = gFiles[path];
        bytes.assign(Size, 0);
        return Size ? bytes.data() : reinterpret_cast<unsigned char*>(&bytes);
    } catch (const std::exception&) {  // beyond what a vector holds, or memory refused
        gFiles.erase(path);
        return nullptr;
    }
}

// Where the file at Path lies: its address and byte count, or null when there is none.
EMSCRIPTEN_KEEPALIVE const uint32_t* vw_file(const char* Path) {
    static uint32_t where[2];
    const auto file = gFiles.find(normal(Path));
    if (file == gFiles.end()) return nullptr;
    where[0] = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(file->second.data()));
    where[1] = static_cast<uint32_t>(file->second.size());
    return where;
}

// Drops every file and closes every descriptor.
EMSCRIPTEN_KEEPALIVE void vw_forget() {
    for (OpenFile& f : gOpen) f = {};
    gFiles.clear();
}

long __syscall_open(long path, long flags, ...) {
    if ((flags & O_ACCMODE) != O_RDONLY || (flags & (O_CREAT | O_TRUNC))) return -EROFS;
    const std::string p = normal(reinterpret_cast<const char*>(path));
    const auto file = gFiles.find(p);
    if (file == gFiles.end() && !isFolder(p)) return -ENOENT;
    if (file != gFiles.end() && (flags & O_DIRECTORY)) return -ENOTDIR;
    OpenFile opened{p, file != gFiles.end() ? &file->second : nullptr, 0, {}};
    if (!opened.bytes) opened.entries = entriesOf(p);
    for (size_t i = 0; i < gOpen.size(); ++i)
        if (gOpen[i].path.empty()) return gOpen[i] = std::move(opened), firstFd + static_cast<long>(i);
    gOpen.push_back(std::move(opened));
    return firstFd + static_cast<long>(gOpen.size() - 1);
}

long __syscall_fcntl64(long fd, long, ...) {
    return fd < firstFd || openAt(fd) ? 0 : -EBADF;
}

// Standard output and error count as a terminal, as the JavaScript runtime has them.
long __syscall_ioctl(long fd, long, ...) {
    return fd < firstFd ? 0 : openAt(fd) ? -ENOTTY : -EBADF;
}

long __syscall_stat64(long path, long buf) {
    return fill(normal(reinterpret_cast<const char*>(path)), reinterpret_cast<struct stat*>(buf));
}

long __syscall_lstat64(long path, long buf) {
    return __syscall_stat64(path, buf);
}

long __syscall_fstat64(long fd, long buf) {
    const OpenFile* f = openAt(fd);
    return f ? fill(f->path, reinterpret_cast<struct stat*>(buf)) : -EBADF;
}

long __syscall_fstatat64(long dirfd, long path, long buf, long flags) {
    const char* name = reinterpret_cast<const char*>(path);
    if ((flags & AT_EMPTY_PATH) && !*name) return __syscall_fstat64(dirfd, buf);
    if (*name == '/' || dirfd == AT_FDCWD) return __syscall_stat64(path, buf);
    const OpenFile* f = openAt(dirfd);
    if (!f) return -EBADF;
    return f->bytes ? -ENOTDIR
                    : fill(normal((f->path + "/" + name).c_str()), reinterpret_cast<struct stat*>(buf));
}

long __syscall_getdents64(long fd, long dirp, long count) {
    OpenFile* f = openAt(fd);
    if (!f) return -EBADF;
    if (f->bytes) return -ENOTDIR;
    if (static_cast<size_t>(count) < sizeof(dirent)) return -EINVAL;
    dirent* out = reinterpret_cast<dirent*>(dirp);
    long written = 0;
    for (; f->at < f->entries.size() && written + long(sizeof(dirent)) <= count; ++f->at, ++out) {
        const std::string& name = f->entries[f->at];
        *out = {};
        out->d_ino = std::hash<std::string>{}(normal((f->path + "/" + name).c_str()));
        out->d_off = written + long(sizeof(dirent));
        out->d_reclen = sizeof(dirent);
        out->d_type = f->at < 2 || !gFiles.count(folderPrefix(f->path) + name) ? DT_DIR : DT_REG;
        std::strncpy(out->d_name, name.c_str(), sizeof out->d_name - 1);
        written += long(sizeof(dirent));
    }
    return written;
}

__wasi_errno_t __wasi_fd_read(__wasi_fd_t fd, const __wasi_iovec_t* iovs, size_t iovs_len,
                              __wasi_size_t* nread) {
    OpenFile* f = openAt(long(fd));
    if (!f) return __WASI_ERRNO_BADF;
    if (!f->bytes) return __WASI_ERRNO_ISDIR;
    size_t got = 0;
    for (size_t i = 0; i < iovs_len && f->at < f->bytes->size(); ++i) {
        const size_t n = std::min(iovs[i].buf_len, f->bytes->size() - f->at);
        std::memcpy(iovs[i].buf, f->bytes->data() + f->at, n);
        f->at += n, got += n;
    }
    *nread = static_cast<__wasi_size_t>(got);
    return __WASI_ERRNO_SUCCESS;
}

__wasi_errno_t __wasi_fd_seek(__wasi_fd_t fd, __wasi_filedelta_t offset, __wasi_whence_t whence,
                              __wasi_filesize_t* newoffset) {
    OpenFile* f = openAt(long(fd));
    if (!f) return __WASI_ERRNO_BADF;
    const int64_t size = f->bytes ? int64_t(f->bytes->size()) : 0;
    const int64_t base = whence == __WASI_WHENCE_SET   ? 0
                         : whence == __WASI_WHENCE_CUR ? int64_t(f->at)
                                                       : size;
    if (whence > __WASI_WHENCE_END || offset < -base || offset > INT32_MAX - base) return __WASI_ERRNO_INVAL;
    f->at = static_cast<size_t>(base + offset);
    *newoffset = f->at;
    return __WASI_ERRNO_SUCCESS;
}

__wasi_errno_t __wasi_fd_close(__wasi_fd_t fd) {
    OpenFile* f = openAt(long(fd));
    if (f) *f = {};
    return f || long(fd) < firstFd ? __WASI_ERRNO_SUCCESS : __WASI_ERRNO_BADF;
}

}  // extern "C"
