#include "ProcessState.h"

ProcessState &processState()
{
    static ProcessState state;
    return state;
}
