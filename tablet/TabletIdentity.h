#pragma once
// Who the attached tablet is: its name from the tablet driver's description file, and the bus,
// vendor and product of the pen's own input device as the kernel reports them under sysfs.

#include "platform/WinTypes.h"

#include <QString>

// The buses of linux/input.h a pen comes over.
constexpr WORD BUS_USB = 0x03;
constexpr WORD BUS_BLUETOOTH = 0x05;
constexpr WORD BUS_RS232 = 0x13;
constexpr WORD BUS_I2C = 0x18;

// The pen's input device; bus 0 when none was found.
struct TabletDevice {
    WORD bus = 0;
    WORD vendor = 0;
    WORD product = 0;
    QString name;
};

// What the program knows of the pen it uses: the name Qt gives its input device and the event
// node the X server reads it from (found through the device's system id). Either may be empty.
struct PenDeviceHint {
    QString name;
    QString node;  // "/dev/input/event7"
};

// The pen device Qt reports (a stylus among QInputDevice::devices()); empty without one.
PenDeviceHint CurrentPenDevice();

// The event node the X server reads X input device systemId from (its "Device Node" property,
// as the evdev and libinput drivers set it); empty off X or when the device has none.
QString X11DeviceNode(qint64 systemId);

// Finds the pen's device in sysfsRoot/class/input: the one behind the hint's event node, else
// the pen whose kernel name begins the hint's name (the X server may add " stylus"), else the
// first input device that is a pen (it reports the pen tool or stylus button, or its name says
// pen, stylus or tablet). Its id/ folder gives bus, vendor and product; a device without one
// counts as USB when a USB device above it has idVendor and idProduct. sysfsRoot is "/sys" on a
// running system.
TabletDevice FindTabletDevice(const PenDeviceHint& pen, const QString& sysfsRoot = QStringLiteral("/sys"));

// The USB identifiers of the pen device; vendor 0 when no USB tablet is attached.
struct TabletUsbIds {
    WORD vendor = 0;
    WORD product = 0;
};

// The first pen's USB identifiers (FindTabletDevice without a hint), zero when it is not on USB.
TabletUsbIds FindTabletUsbIds(const QString& sysfsRoot = QStringLiteral("/sys"));

// Fills vendor and product (both 0 first). Returns true when no USB tablet was found, that is
// when the tablet, if any, is connected through a serial port.
bool GetTabletUsbIds(WORD& vendor, WORD& product, const QString& sysfsRoot = QStringLiteral("/sys"));

// The tablet's name from the driver's description file; "Tablet" when it has none.
QString TabletManagerName();
