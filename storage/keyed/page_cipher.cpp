// Key schedule and block transform of the page cipher.
#include "storage/keyed/page_cipher.h"

#include <cassert>
#include <string>

#include "storage/keyed/sdf_format.h"

namespace linkar::keyed {
namespace {

using Block = std::array<std::uint32_t, PageCipher::kWords>;

constexpr std::size_t kScheduleStride = 17;  // key bytes are scattered by i * 17 mod 64
constexpr int kSchedulePasses = 2;           // the schedule enciphers the key with itself twice

void encipherBlock(Block& b, const Block& w) {
  for (std::size_t i = 0; i < PageCipher::kWords; ++i) {
    const std::uint32_t k = w[i];
    const std::size_t j = k % PageCipher::kWords;
    const std::uint32_t a = b[i];
    const std::uint32_t c = b[j];
    b[j] = ((c & k) | (a & ~k)) + k;
    b[i] = ((a & k) | (c & ~k)) + k;
  }
}

void decipherBlock(Block& b, const Block& w) {
  for (std::size_t n = PageCipher::kWords; n-- > 0;) {
    const std::uint32_t k = w[n];
    const std::size_t j = k % PageCipher::kWords;
    const std::uint32_t p = b[n] - k;
    const std::uint32_t q = b[j] - k;
    b[n] = (p & k) | (q & ~k);
    b[j] = (q & k) | (p & ~k);
  }
}

void loadBlock(Block& b, const std::uint8_t* p) {
  for (std::size_t i = 0; i < PageCipher::kWords; ++i) b[i] = getLe32(p + 4 * i);
}

void storeBlock(const Block& b, std::uint8_t* p) {
  for (std::size_t i = 0; i < PageCipher::kWords; ++i) putLe32(p + 4 * i, b[i]);
}

}  // namespace

PageCipher::PageCipher(std::string_view owner) {
  assert(!owner.empty());
  // The owner text with its terminator; the cursor starts on the first character
  // and moves before each byte is taken.
  std::string text(owner);
  text.push_back('\0');
  std::uint8_t bytes[kBlockSize];
  std::size_t cursor = 0;
  for (std::size_t i = 0; i < kBlockSize; ++i) {
    cursor = (text[cursor] == '\0') ? 0 : cursor + 1;
    bytes[(i * kScheduleStride) % kBlockSize] =
        static_cast<std::uint8_t>(static_cast<std::uint8_t>(text[cursor]) + i);
  }
  Block w;
  loadBlock(w, bytes);
  for (int pass = 0; pass < kSchedulePasses; ++pass) {
    // Key and block are the same words, so every step sees the steps before it.
    encipherBlock(w, w);
  }
  m_key = w;
}

void PageCipher::encipher(std::uint8_t* data, std::size_t length) const {
  assert(length % kBlockSize == 0);
  Block b;
  for (std::size_t off = 0; off < length; off += kBlockSize) {
    loadBlock(b, data + off);
    encipherBlock(b, m_key);
    storeBlock(b, data + off);
  }
}

void PageCipher::decipher(std::uint8_t* data, std::size_t length) const {
  assert(length % kBlockSize == 0);
  Block b;
  for (std::size_t off = 0; off < length; off += kBlockSize) {
    loadBlock(b, data + off);
    decipherBlock(b, m_key);
    storeBlock(b, data + off);
  }
}

}  // namespace linkar::keyed
