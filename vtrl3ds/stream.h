// Byte streams the loaders read from: the abstract TStream (read, position, size, relative seek),
// a read-only file stream and a memory stream. Opening, read errors and seeking before the start
// raise EStreamError; a read at the end returns fewer bytes than asked, which the caller checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// A readable byte stream with a position.
class TStream {
  public:
    virtual ~TStream() = default;
    // Reads up to Count bytes into Buffer; returns how many were read (fewer only at the end).
    virtual int64_t Read(void* Buffer, int64_t Count) = 0;
    // The current position, 0 at the first byte; may lie past the end after a seek.
    virtual int64_t Position() const = 0;
    // The number of bytes in the stream.
    virtual int64_t Size() const = 0;
    // Moves the position by Offset bytes from where it is (past the end is allowed).
    virtual void Seek(int64_t Offset) = 0;
};

// A regular file opened read-only.
class TFileStream : public TStream {
  public:
    explicit TFileStream(const std::string& FileName);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Position() const override { return FPosition; }
    int64_t Size() const override { return FSize; }
    void Seek(int64_t Offset) override;

  private:
    std::string FFileName;
    std::FILE* FFile = nullptr;
    int64_t FPosition = 0;
    int64_t FSize = 0;
};

// The whole of a regular file's bytes; raises EStreamError as TFileStream does.
std::vector<uint8_t> ReadFileBytes(const std::string& FileName);

// Bytes in memory: either a view over bytes the caller keeps alive, or bytes of its own.
class TMemoryStream : public TStream {
  public:
    TMemoryStream(const void* Data, size_t Size);
    explicit TMemoryStream(std::vector<uint8_t> Data);

    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Position() const override { return FPosition; }
    int64_t Size() const override { return static_cast<int64_t>(FSize); }
    void Seek(int64_t Offset) override;

  private:
    std::vector<uint8_t> FOwned;
    const uint8_t* FData;
    size_t FSize;
    int64_t FPosition = 0;
};
