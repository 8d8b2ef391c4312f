// The bytes under a data file: a positioned read/write store. Data files
// normally sit on a platform::File; checkers and fuzzers may hold the bytes
// in memory. Every call returns 0 or an operating-system error number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/file.h"

namespace linkar::keyed {

class BlockStore {
 public:
  virtual ~BlockStore() = default;
  // Reads up to `length` bytes; `*got` tells how many were there.
  virtual int read(std::uint64_t offset, void* buffer, std::size_t length, std::size_t* got) = 0;
  virtual int write(std::uint64_t offset, const void* data, std::size_t length) = 0;
  virtual int size(std::uint64_t* out) = 0;
  virtual int setSize(std::uint64_t size) = 0;
  virtual int flush() = 0;
  virtual bool writable() const = 0;
};

// A store over an open platform file, which it owns.
class FileStore final : public BlockStore {
 public:
  explicit FileStore(platform::File file) : m_file(std::move(file)) {}
  int read(std::uint64_t offset, void* buffer, std::size_t length, std::size_t* got) override {
    return m_file.read(offset, buffer, length, got);
  }
  int write(std::uint64_t offset, const void* data, std::size_t length) override {
    return m_file.write(offset, data, length);
  }
  int size(std::uint64_t* out) override { return m_file.size(out); }
  int setSize(std::uint64_t size) override { return m_file.setSize(size); }
  int flush() override { return m_file.flush(); }
  bool writable() const override { return m_file.mode().writes(); }
  platform::File& file() { return m_file; }

 private:
  platform::File m_file;
};

// Another store, used without being owned: for a data file opened over a
// file whose handle must outlive it (its locks are held through that handle).
class BorrowedStore final : public BlockStore {
 public:
  explicit BorrowedStore(BlockStore& inner) : m_inner(inner) {}
  int read(std::uint64_t offset, void* buffer, std::size_t length, std::size_t* got) override {
    return m_inner.read(offset, buffer, length, got);
  }
  int write(std::uint64_t offset, const void* data, std::size_t length) override {
    return m_inner.write(offset, data, length);
  }
  int size(std::uint64_t* out) override { return m_inner.size(out); }
  int setSize(std::uint64_t size) override { return m_inner.setSize(size); }
  int flush() override { return m_inner.flush(); }
  bool writable() const override { return m_inner.writable(); }

 private:
  BlockStore& m_inner;
};

// A store over bytes in memory (checkers, fuzzing, tests).
class MemoryStore final : public BlockStore {
 public:
  static constexpr std::uint64_t kDefaultLimit = std::uint64_t{1} << 31;  // data files stay below 2 GB

  // Writes that would grow the bytes past `limit` fail as a full disk.
  explicit MemoryStore(std::string bytes = {}, bool writable = true,
                       std::uint64_t limit = kDefaultLimit)
      : m_bytes(std::move(bytes)), m_writable(writable), m_limit(limit) {}
  int read(std::uint64_t offset, void* buffer, std::size_t length, std::size_t* got) override;
  int write(std::uint64_t offset, const void* data, std::size_t length) override;
  int size(std::uint64_t* out) override {
    *out = m_bytes.size();
    return 0;
  }
  int setSize(std::uint64_t size) override;
  int flush() override { return 0; }
  bool writable() const override { return m_writable; }
  const std::string& bytes() const { return m_bytes; }

 private:
  std::string m_bytes;
  bool m_writable;
  std::uint64_t m_limit;
};

}  // namespace linkar::keyed
