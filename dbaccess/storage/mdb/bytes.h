// A bounds-checked, read-only view of bytes with little-endian reads.
//
// Every read checks offset and length against the view and throws FormatError when they
// do not fit, so decoders can follow offsets found in a file without trusting them.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_BYTES_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_BYTES_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "dbaccess/storage/mdb/format_error.h"

namespace dbaccess::mdb {

// The FormatError of a read of `length` bytes at `offset` outside a view of `size` bytes;
// out of line, so that the check every read makes stays a compare and a branch.
[[noreturn]] void ThrowOutside(size_t offset, size_t length, size_t size);

class ByteView {
 public:
  ByteView() = default;
  ByteView(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  explicit ByteView(std::span<const uint8_t> s) : data_(s.data()), size_(s.size()) {}
  explicit ByteView(const std::vector<uint8_t>& v) : data_(v.data()), size_(v.size()) {}

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const uint8_t* data() const { return data_; }

  bool Fits(size_t offset, size_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }
  void Require(size_t offset, size_t length) const {
    if (!Fits(offset, length)) [[unlikely]]
      ThrowOutside(offset, length, size_);
  }

  ByteView Sub(size_t offset, size_t length) const {
    Require(offset, length);
    return ByteView(data_ + offset, length);
  }
  ByteView From(size_t offset) const {
    Require(offset, 0);
    return ByteView(data_ + offset, size_ - offset);
  }

  uint8_t U8(size_t offset) const {
    Require(offset, 1);
    return data_[offset];
  }
  uint16_t U16(size_t offset) const {
    Require(offset, 2);
    return static_cast<uint16_t>(data_[offset] | (data_[offset + 1] << 8));
  }
  uint32_t U24(size_t offset) const {
    Require(offset, 3);
    return data_[offset] | (data_[offset + 1] << 8) | (uint32_t{data_[offset + 2]} << 16);
  }
  uint32_t U32(size_t offset) const {
    Require(offset, 4);
    return data_[offset] | (data_[offset + 1] << 8) | (uint32_t{data_[offset + 2]} << 16) |
           (uint32_t{data_[offset + 3]} << 24);
  }
  int16_t I16(size_t offset) const { return static_cast<int16_t>(U16(offset)); }
  int32_t I32(size_t offset) const { return static_cast<int32_t>(U32(offset)); }
  uint64_t U64(size_t offset) const { return U32(offset) | (uint64_t{U32(offset + 4)} << 32); }
  int64_t I64(size_t offset) const { return static_cast<int64_t>(U64(offset)); }
  float F32(size_t offset) const {
    const uint32_t bits = U32(offset);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }
  double F64(size_t offset) const {
    const uint64_t bits = U64(offset);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }

  std::vector<uint8_t> ToVector() const { return std::vector<uint8_t>(data_, data_ + size_); }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_BYTES_H_
