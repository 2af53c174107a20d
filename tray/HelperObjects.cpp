#include "HelperObjects.h"

HelperObjects& Helper()
{
    static HelperObjects objects;
    return objects;
}
