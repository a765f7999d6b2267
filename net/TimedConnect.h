#pragma once

class TSocketHandle;

// Connects the socket to its peer on a separate thread and waits in slices of 125 ms, at most
// timeout milliseconds (UnlimitedTimeout: no limit). Raises EConnectTimeout when the time
// passes first (the connect is broken off) and EConnectError when the connect fails.
void ConnectWithTimeout(TSocketHandle& socket, int timeout);
