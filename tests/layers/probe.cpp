// One header included with exactly the include roots one library gets: the
// build of this file shows whether that library can reach the header.
#include PROBE_HEADER

int zentavoLayerProbe()
{
    return 0;
}
