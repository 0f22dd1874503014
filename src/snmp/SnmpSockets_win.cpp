#include "snmp/SnmpSockets.h"

#include <winsock2.h>

namespace kv {

// Winsock 2.2 for the rest of the process (what the library's SOCK_STARTUP
// does).  Should it fail, no session opens, and every request ends without
// an answer.
void StartSnmpSockets()
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
}

} // namespace kv
