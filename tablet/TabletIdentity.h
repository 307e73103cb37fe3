#pragma once
// Who the attached tablet is: its name from the tablet driver's description file and the USB
// vendor and product identifiers of the pen device the kernel reports under sysfs.

#include "platform/WinTypes.h"

#include <QString>

// The USB identifiers of the pen device; vendor 0 when no USB tablet is attached (a serial one,
// or none).
struct TabletUsbIds {
    WORD vendor = 0;
    WORD product = 0;
};

// Looks through sysfsRoot/class/input for an input device that is a pen (it reports the pen
// tool or stylus button, or its name says pen, stylus or tablet) and reads idVendor and
// idProduct of the nearest USB device above it. sysfsRoot is "/sys" on a running system.
TabletUsbIds FindTabletUsbIds(const QString& sysfsRoot = QStringLiteral("/sys"));

// Fills vendor and product (both 0 first). Returns true when no USB tablet was found, that is
// when the tablet, if any, is connected through a serial port.
bool GetTabletUsbIds(WORD& vendor, WORD& product, const QString& sysfsRoot = QStringLiteral("/sys"));

// The tablet's name from the driver's description file; "Tablet" when it has none.
QString TabletManagerName();
