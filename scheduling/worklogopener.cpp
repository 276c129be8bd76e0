#include "scheduling/entries.h"

namespace {
std::function<void(int)> &opener()
{
    static std::function<void(int)> open;
    return open;
}
} // namespace

void RegisterWorkLogOpener(std::function<void(int taskId)> open)
{
    opener() = std::move(open);
}

std::function<void(int taskId)> WorkLogOpener()
{
    return opener();
}
