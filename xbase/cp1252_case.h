// The program's one Windows-1252 case table. UPPER() and LOWER() in
// expressions and the search's own upper-casing all go through it, so stored
// words and search keywords are always cased the same way.
//
// Pairs: A-Z/a-z, the accented letters 0xC0-0xDE/0xE0-0xFE (except the
// multiplication and division signs 0xD7/0xF7), and the four letters in the
// 0x80-0x9F row: Š/š (0x8A/0x9A), Œ/œ (0x8C/0x9C), Ž/ž (0x8E/0x9E) and
// Ÿ/ÿ (0x9F/0xFF). ß (0xDF), µ (0xB5), ƒ (0x83) and ª º have no partner in
// Windows-1252 and stay as they are.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace xbase {

unsigned char upperCp1252(unsigned char c);
unsigned char lowerCp1252(unsigned char c);
std::string upperCp1252(std::string_view text);
std::string lowerCp1252(std::string_view text);

// Case-maps n bytes from in to out (which may be the same buffer).
void upperCp1252(const char* in, std::size_t n, char* out);
void lowerCp1252(const char* in, std::size_t n, char* out);

}  // namespace xbase
