#include "net/IdSocketExceptions.h"

#include "net/IdStack.h"

EIdSocketError::EIdSocketError(int code) : EIdException(TIdStack::WSTranslateSocketErrorMsg(code)), LastError(code) {}
