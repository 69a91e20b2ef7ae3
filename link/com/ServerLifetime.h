// The server process's lifetime: every live COM object of the server (connectors, shared
// objects) and every LockServer holds the process; when the last hold goes, the message loop
// of the server's one thread is told to end. Single-threaded apartment: no locks.
#pragma once

namespace tethra::com::lifetime {

void hold();
void release();

} // namespace tethra::com::lifetime
