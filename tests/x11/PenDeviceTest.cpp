// The X server tells which kernel device an X input device reads: the About box finds the pen's
// own device in /sys/class/input that way.

#include "TestApplication.h"
#include "X11Desk.h"

#include "tablet/TabletIdentity.h"

#include <QInputDevice>
#include <QLibrary>
#include <QtGui/qguiapplication_platform.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Sets the "Device Node" property of X input device id, as the evdev and libinput drivers do.
bool SetDeviceNode(qint64 id, const char* node)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    QLibrary xlib(QStringLiteral("X11"), 6);
    QLibrary xi(QStringLiteral("Xi"), 6);
    using InternAtom = unsigned long (*)(Display*, const char*, int);
    using ChangeProperty = void (*)(Display*, int, unsigned long, unsigned long, int, int, const unsigned char*, int);
    using Sync = int (*)(Display*, int);
    const auto internAtom = reinterpret_cast<InternAtom>(xlib.resolve("XInternAtom"));
    const auto change = reinterpret_cast<ChangeProperty>(xi.resolve("XIChangeProperty"));
    const auto sync = reinterpret_cast<Sync>(xlib.resolve("XSync"));
    if (!x11 || !internAtom || !change || !sync)
        return false;
    Display* display = x11->display();
    constexpr int kReplace = 0;
    change(display, int(id), internAtom(display, "Device Node", 0), internAtom(display, "STRING", 0), 8, kReplace,
           reinterpret_cast<const unsigned char*>(node), int(std::strlen(node)) + 1);
    sync(display, 0);
    return true;
}

}  // namespace

TEST(PenDeviceTest, the_x_server_names_the_event_node_of_an_input_device)
{
    TestApplication();
    ASSERT_TRUE(X11Desk::Available());
    const QInputDevice* mouse = nullptr;
    for (const QInputDevice* device : QInputDevice::devices())
        if (device->type() == QInputDevice::DeviceType::Mouse && device->systemId() > 0)
            mouse = device;
    ASSERT_NE(mouse, nullptr);
    EXPECT_EQ(X11DeviceNode(mouse->systemId()), QString());  // Xvfb's devices read no kernel device

    ASSERT_TRUE(SetDeviceNode(mouse->systemId(), "/dev/input/event7"));
    EXPECT_EQ(X11DeviceNode(mouse->systemId()), "/dev/input/event7");
    EXPECT_EQ(X11DeviceNode(0), QString());
}
