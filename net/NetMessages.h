#pragma once

// The fixed message texts of the socket and HTTP layers, raised from more than one place.
namespace NetMessages {
inline constexpr const char* WinsockLoadError = "Error on loading Winsock2 library (%s)";
inline constexpr const char* WinsockCallError = "Error on call Winsock2 library function %s";
inline constexpr const char* SocketInterfaceLoadError = "Error loading Socket interface (ws2_32.dll)!";
inline constexpr const char* WinsockInitializationError = "Winsock Initialization Error.";
inline constexpr const char* SocketErrorFormat = "Socket Error # %d\r\n%s";
inline constexpr const char* AlreadyConnected = "Already connected.";
inline constexpr const char* CannotAllocateSocket = "Cannot allocate socket.";
inline constexpr const char* CouldNotBindSocket = "Could not bind socket. Address and port are already in use.";
inline constexpr const char* InvalidPortRange = "Invalid Port Range (%d - %d)";
inline constexpr const char* CannotBindInPortRange = "Can not bind in port range (%d - %d)";
inline constexpr const char* ConnectTimeout = "Connect timed out.";
inline constexpr const char* ReadTimeout = "Read Timeout";
inline constexpr const char* MaxLineLengthExceeded = "Max line length exceeded.";
inline constexpr const char* ConnectionClosedGracefully = "Connection Closed Gracefully.";
inline constexpr const char* NotConnected = "Not Connected";
inline constexpr const char* NoDataToRead = "No data to read.";
inline constexpr const char* Disconnected = "Disconnected.";
inline constexpr const char* UndefinedSituation = "Undefined situation";
inline constexpr const char* MethodRequiresVersion = "This request method is supported in HTTP 1.1";
inline constexpr const char* InvalidIOHandler = "IOHandler value is not valid";
inline constexpr const char* ChunkStarted = "Chunk Started";
inline constexpr const char* ReplyCutShort = "Connection closed before the whole reply arrived";
} // namespace NetMessages
