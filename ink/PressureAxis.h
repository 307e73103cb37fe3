#pragma once
// Where a new stroke learns the range of the tablet's pressure axis. The tablet binding
// installs a source when it has bound the tablet interface; until then there is none and
// strokes see "not bound".

#include "platform/WinTypes.h"

class IPressureAxisSource {
public:
    virtual ~IPressureAxisSource() = default;
    // The maximum of the device's pressure axis, in raw tablet units.
    virtual LONG PressureAxisMaximum() const = 0;
};

// Installs the source (not owned); nullptr means no tablet interface is bound.
void SetPressureAxisSource(const IPressureAxisSource* source);
// The source in force, or nullptr when no tablet interface is bound.
const IPressureAxisSource* PressureAxisSource();
