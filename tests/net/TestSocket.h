#pragma once

#include <cstdint>
#include <string>

// The few raw socket calls the test peers need, independent of the code under test.
namespace testnet {

using Socket = std::intptr_t;
inline constexpr Socket NoSocket = -1;

// A listening socket on 127.0.0.1 with a free port, which is returned in port.
Socket Listen(int& port, int backlog = 8);
// The next connection, or NoSocket when none comes within timeoutMs.
Socket Accept(Socket listener, int timeoutMs);
// A plain client connection to 127.0.0.1:port that is not waited for.
Socket ConnectNonBlocking(int port);
// Whether a plain connection to 127.0.0.1:port is accepted (it is closed again at once).
bool CanConnect(int port);
// Bytes received (up to length), 0 when the peer closed, -1 on an error or after timeoutMs.
int Recv(Socket socket, char* buffer, int length, int timeoutMs);
bool SendAll(Socket socket, const std::string& bytes);
void ShutdownSend(Socket socket);
void Close(Socket socket);

} // namespace testnet
