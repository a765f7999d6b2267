#pragma once

#include <cstdint>
#include <exception>
#include <string>

// Small pure routines shared by the identification, the SMART reading and the report.

// A byte count as a short size text: "466 Gbytes" (withBytes) or "466G"; the decimal
// separator follows the user's locale settings.
std::string FormatSize(bool withBytes, std::int64_t n);

std::string BoolToYN(bool value);

// The message of an exception, trimmed of blanks and control characters; empty when there is
// no exception object.
std::string ExceptionText(const std::exception* e);
// The same for the exception being handled (inside a catch block); empty for a thrown value
// that is not an exception object.
std::string CurrentExceptionText();

// Identify strings keep the first character of each pair in the high byte of a word: swap the
// pairs and trim characters of code 0..32. An odd length keeps its last byte at the end.
std::string SwapBytePairs(const std::uint8_t* bytes, std::int32_t len);
// Two hexadecimal digits per character, as some drivers give the serial number.
std::string HexPairsToText(const std::string& s);
// The first len bytes, ending before the first zero byte.
std::string BytesToText(const std::uint8_t* bytes, std::int32_t len);

// The number of the highest bit set; 0 for 0 and for 1.
std::int32_t HighestBitIndex(std::uint16_t w);
// The newest ATA standard flagged in identify word 80.
std::string AtaVersionName(std::uint16_t w);
// The serial transport version of identify word 222; empty unless the transport is serial.
std::string SataTransportName(std::uint16_t w);
// The highest link speed flagged in identify word 76.
std::string SataSpeedName(std::uint16_t w);
// The link speed of SATA generation 1, 2 or 3 ("1.5 Gb/s", "3.0 Gb/s", "6.0 Gb/s"); empty for
// any other number.
std::string SataGenerationSpeedName(std::int32_t generation);
