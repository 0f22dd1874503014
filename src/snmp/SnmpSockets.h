#pragma once

namespace kv {

// Makes the system's sockets usable by the SNMP library: called once, before
// the first session is opened.
void StartSnmpSockets();

} // namespace kv
