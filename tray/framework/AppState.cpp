#include "AppState.h"

TAppState& AppState()
{
    static TAppState state;
    return state;
}
