// Windows-1252 text at the edges of the core: conversion to and from UTF-8,
// and the line-end conversions between the program's CR LF and the
// platform's LF.
//
// The five bytes cp1252 leaves undefined (0x81 0x8D 0x8F 0x90 0x9D) map to
// the C1 control characters of the same number, as Windows maps them, so
// every byte string survives the round trip through UTF-8 unchanged.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// cp1252 bytes to UTF-8.
std::string cp1252ToUtf8(std::string_view cp1252);

// UTF-8 to cp1252 bytes. A character outside cp1252 becomes '?', and so does
// each byte of a malformed sequence.
std::string utf8ToCp1252(std::string_view utf8);

// True when text is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF) and holds at least one non-ASCII character: the
// test that decides whether a text file is read as UTF-8 or as cp1252.
bool isUtf8WithNonAscii(std::string_view text);

// LF and CR LF become CR LF; a lone CR stays as it is.
std::string toCrLf(std::string_view text);

// CR LF becomes LF; lone CRs and LFs stay as they are.
std::string toLf(std::string_view text);

// The program's text from the bytes of a text file: decoded as UTF-8 when
// they are UTF-8 with non-ASCII characters, taken as cp1252 otherwise, with
// CR LF line breaks.
std::string textFromFile(std::string_view bytes);

// The bytes of a text file from the program's text: cp1252 with the
// platform's LF line breaks.
std::string textToFile(std::string_view text);

}  // namespace platform
