#include "snmp/SnmpSockets.h"

namespace kv {

// Sockets need no start here.
void StartSnmpSockets() {}

} // namespace kv
