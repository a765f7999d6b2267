#pragma once

class TIdSocketHandle;

// Connects the binding to its peer on a separate thread and waits in slices of 125 ms, at most
// timeout milliseconds (IdTimeoutInfinite: no limit). Raises EIdConnectTimeout when the time
// passes first (the connect is broken off) and EIdConnectException when the connect fails.
void ConnectWithTimeout(TIdSocketHandle& binding, int timeout);
