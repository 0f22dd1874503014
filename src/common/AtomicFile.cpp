#include "common/AtomicFile.h"

namespace kv {

namespace {

WriteStepObserver g_observer = nullptr;
void* g_observerContext = nullptr;

} // namespace

void ReachedWriteStep(WriteStep step)
{
    if (g_observer)
        g_observer(step, g_observerContext);
}

void SetWriteStepObserver(WriteStepObserver observer, void* context)
{
    g_observer = observer;
    g_observerContext = context;
}

} // namespace kv
