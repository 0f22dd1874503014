#include "update/ProgramStarter.h"

// PLACEHOLDER: written by the device-update work.
namespace kv {

void ProcessStarter::Start_Program(const QString&, const QString&, bool, int) {}

} // namespace kv
