#include "update/ProgramStarter.h"

#include <windows.h>

namespace kv {

// The handle is opened at once, while the id still names the started
// program, and keeps naming it until it is closed.
ProcessWatch::ProcessWatch(qint64 pid)
    : m_pid(pid)
{
    if (pid > 0)
        m_handle = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
}

ProcessWatch::~ProcessWatch()
{
    if (m_handle)
        CloseHandle(static_cast<HANDLE>(m_handle));
}

bool ProcessWatch::running() const
{
    return m_handle && WaitForSingleObject(static_cast<HANDLE>(m_handle), 0) == WAIT_TIMEOUT;
}

bool ProcessIsRunning(qint64 pid)
{
    return ProcessWatch(pid).running();
}

} // namespace kv
