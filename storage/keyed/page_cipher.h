// The optional page cipher: a 64-byte key derived from the file's owner text
// enciphers every 64-byte block on its way to disk and back.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace linkar::keyed {

class PageCipher {
 public:
  static constexpr std::size_t kBlockSize = 64;  // one enciphered block
  static constexpr std::size_t kWords = 16;      // 32-bit words per block

  // REQUIRES: `owner` non-empty (an empty owner means no cipher at all).
  explicit PageCipher(std::string_view owner);

  // Both work in place on whole 64-byte blocks; `length` must be a multiple of 64.
  void encipher(std::uint8_t* data, std::size_t length) const;
  void decipher(std::uint8_t* data, std::size_t length) const;

  const std::array<std::uint32_t, kWords>& key() const { return m_key; }

 private:
  std::array<std::uint32_t, kWords> m_key{};
};

}  // namespace linkar::keyed
