#include "PressureAxis.h"

namespace {
const IPressureAxisSource* g_source = nullptr;
}

void SetPressureAxisSource(const IPressureAxisSource* source)
{
    g_source = source;
}

const IPressureAxisSource* PressureAxisSource()
{
    return g_source;
}
