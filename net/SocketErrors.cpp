#include "net/SocketErrors.h"

#include "net/SocketStack.h"

ESocketError::ESocketError(int code) : ENetError(TSocketStack::SocketErrorMessage(code)), Code(code) {}
