#pragma once

#include <cstddef>
#include <string_view>

// Where the TLS records in the bytes received from a server begin and end. A record is a 5-byte
// header (content type, protocol version, length) and as many bytes as the length says.
namespace TlsRecords {

inline constexpr std::size_t HeaderSize = 5;
// The content type of an alert record (a warning, an error, or the close of the session).
inline constexpr unsigned char AlertType = 21;
// The longest record body a peer may send: 2^14 bytes of content and 2,048 of protection.
inline constexpr std::size_t MaxBodySize = 16384 + 2048;

// The size of the record at the front of bytes, its header included, once it is complete; 0
// while it is not. Raises ETlsError NotTls for host as soon as the bytes there are no TLS record
// header: an unknown content type, a version other than 3.x, or a length beyond MaxBodySize.
std::size_t FirstRecord(std::string_view bytes, std::string_view host);

// The size of all the complete records at the front of bytes, judged as above.
std::size_t CompleteRecords(std::string_view bytes, std::string_view host);

} // namespace TlsRecords
