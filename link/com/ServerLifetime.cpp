#include "ServerLifetime.h"

#include <windows.h>

namespace tethra::com::lifetime {
namespace {
long count = 0;
}

void hold()
{
    ++count;
}

void release()
{
    if (--count == 0)
        PostQuitMessage(0);
}

} // namespace tethra::com::lifetime
