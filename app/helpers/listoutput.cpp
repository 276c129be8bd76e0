#include "app/helpers/listoutput.h"

namespace {

ListOutput &installed()
{
    static ListOutput output;
    return output;
}

} // namespace

void SetListOutput(ListOutput output)
{
    installed() = std::move(output);
}

const ListOutput &CurrentListOutput()
{
    return installed();
}
