// The character tables of the runtime: upper- and lower-case maps, the
// character classes and the collating sequence (one order value per byte),
// with a saved copy of the collation. Process-wide; the environment-file
// loader may replace any of them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace linkar::runtime {

// One entry per byte value.
constexpr size_t kCharTableSize = 256;
using CharTable = std::array<uint8_t, kCharTableSize>;

// Bits of the class table.
constexpr uint8_t kClassUpper = 0x01;   // an upper-case letter
constexpr uint8_t kClassLower = 0x02;   // a lower-case letter
constexpr uint8_t kClassLetter = 0x04;  // a letter of a further class (neither case)

// The defaults: only ASCII letters are letters and change case, the
// collation is the byte order.
CharTable defaultUpperTable();
CharTable defaultLowerTable();
CharTable defaultClassTable();
CharTable defaultCollationTable();

uint8_t toUpper(uint8_t c);
uint8_t toLower(uint8_t c);
bool isAlpha(uint8_t c);
bool isUpper(uint8_t c);
bool isLower(uint8_t c);
// Digits are the ASCII digits whatever the tables say.
bool isDigit(uint8_t c);
bool isAlnum(uint8_t c);
uint8_t collationWeight(uint8_t c);

// Collated comparison, trailing blanks ignored (the shorter text counts as
// padded with blanks): a lower-case letter is mapped to upper case first,
// then the first pair of different order values decides. Negative, 0 or
// positive.
int collateCompare(std::string_view a, std::string_view b);

// The text upper-cased through the case table, in place.
void upperInPlace(char* text, size_t size);

const CharTable& upperTable();
const CharTable& lowerTable();
const CharTable& classTable();
const CharTable& collationTable();
// The collation as it was when saveCollationTable() last ran (at start-up,
// before the environment file is read); the defaults until then.
const CharTable& savedCollationTable();

void setUpperTable(const CharTable& table);
void setLowerTable(const CharTable& table);
void setClassTable(const CharTable& table);
void setCollationTable(const CharTable& table);
void saveCollationTable();

// All tables, the saved collation included, back to the defaults.
void resetCharTables();

}  // namespace linkar::runtime
