#pragma once

#include "LoopbackServer.h"

#include <cstddef>
#include <string>
#include <vector>

// Servers that answer the upload with what no honest server sends, each with what the upload
// comes to: the message of its error (empty when it succeeds) and what the reply buffer holds.
// Every one stops by itself: it closes after a bounded amount, or when the client gives up.
struct THostileServer {
    const char* Name;
    TLoopbackServer::TScript Script;
    std::string Error;
    std::string Body;
};

// Header lines sent by the endless-headers server before it closes.
inline constexpr std::size_t EndlessHeaderLines = 20000;
// Bytes of the body that never ends before the server gives up.
inline constexpr std::size_t EndlessBodyBytes = 4 * 1024 * 1024;

// The cases that take one connection, with the main window's client settings.
const std::vector<THostileServer>& HostileServers();

// size bytes of "0123456789abcdef" over and over; a piece whose size is a multiple of 16
// continues the previous one.
std::string Filler(std::size_t size);

// A reply that redirects to the request's own URL.
std::string RedirectToItself(const std::string& path);
