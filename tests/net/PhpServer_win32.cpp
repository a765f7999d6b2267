#include "PhpServer.h"

// The Windows test run has no PHP beside it; the tests that need the receiver are skipped.
bool TPhpServer::Available()
{
    return false;
}

TPhpServer::TPhpServer(const std::string&, const std::string&) {}

TPhpServer::~TPhpServer() = default;
