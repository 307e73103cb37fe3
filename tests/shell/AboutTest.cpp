// The About box offscreen: its four lines, the tablet line from a sysfs tree built in a
// temporary folder, the logo's size, and a click that opens the manual.

#include "ScriptedPrompts.h"
#include "TestApplication.h"

#include "platform/CommandIds.h"
#include "platform/Settings.h"
#include "shell/dialogs/CAboutDlg.h"
#include "shell/tables/StringTable.h"
#include "tablet/TabletIdentity.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

void WriteText(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

// A sysfs tree as the kernel lays it out: the input device deep under its USB device, and
// class/input holding a link to it.
class FakeSysfs {
public:
    FakeSysfs() { QDir().mkpath(Root() + "/class/input"); }
    QString Root() const { return m_dir.path() + "/sys"; }

    // usbFolder: the USB device's folder under devices/ ("" for a device without one).
    void AddInput(const QString& input, const QString& usbFolder, const QByteArray& name, const QByteArray& keys,
                  const QByteArray& vendor = {}, const QByteArray& product = {})
    {
        const QString usb = Root() + "/devices/platform/" + (usbFolder.isEmpty() ? "serio0" : usbFolder);
        if (!vendor.isEmpty()) {
            WriteText(usb + "/idVendor", vendor + "\n");
            WriteText(usb + "/idProduct", product + "\n");
        }
        const QString device = usb + "/1-1:1.0/0003:" + input + "/input/" + input;
        WriteText(device + "/name", name + "\n");
        WriteText(device + "/capabilities/key", keys + "\n");
        ASSERT_TRUE(QFile::link(device, Root() + "/class/input/" + input));
        // The event node points back at its input device.
        QDir().mkpath(Root() + "/class/input/event-" + input);
        ASSERT_TRUE(QFile::link(device, Root() + "/class/input/event-" + input + "/device"));
    }

    // A pen as the kernel lists it wherever its bus puts it: the input device under folder with
    // its id/ files, and its event node in class/input pointing back at it.
    void AddPen(const QString& input, const QString& event, const QString& folder, const QByteArray& name,
                const QByteArray& bus, const QByteArray& vendor, const QByteArray& product)
    {
        const QString device = Root() + "/devices/" + folder + "/input/" + input;
        WriteText(device + "/name", name + "\n");
        WriteText(device + "/capabilities/key", "1c03 0 0 0 0 0\n");  // BTN_TOOL_PEN
        WriteText(device + "/id/bustype", bus + "\n");
        WriteText(device + "/id/vendor", vendor + "\n");
        WriteText(device + "/id/product", product + "\n");
        ASSERT_TRUE(QFile::link(device, Root() + "/class/input/" + input));
        QDir().mkpath(device + "/" + event);
        ASSERT_TRUE(QFile::link(device, device + "/" + event + "/device"));
        ASSERT_TRUE(QFile::link(device + "/" + event, Root() + "/class/input/" + event));
    }

private:
    QTemporaryDir m_dir;
};

// BTN_TOOL_PEN (0x140) set: bit 0 of the sixth 64-bit word from the end.
const QByteArray kPenKeys = "1c03 0 0 0 0 0";
const QByteArray kKeyboardKeys = "120013 0 0 e080ffdf01cfffff fffffffffffffffe";

class AboutTest : public ::testing::Test {
protected:
    AboutTest()
    {
        TestApplication();
        m_previousFolder = SettingsFolder();
        OverrideSettingsFolder(m_settings.path());
    }
    ~AboutTest() override { OverrideSettingsFolder(m_previousFolder); }

    void WriteLogoSetting(int value) { WriteSetting(Settings::AboutLogoForLayout, value); }

    QTemporaryDir m_settings;
    QString m_previousFolder;
    FakeSysfs m_sysfs;
};

TEST_F(AboutTest, usb_pen_device_gives_its_vendor_and_product)
{
    m_sysfs.AddInput("input3", "usb1/1-2", "AT Translated Set 2 keyboard", kKeyboardKeys, "046d", "c31c");
    m_sysfs.AddInput("input7", "usb1/1-4", "Wacom Intuos S Pen", kPenKeys, "056a", "0374");
    const TabletUsbIds ids = FindTabletUsbIds(m_sysfs.Root());
    EXPECT_EQ(ids.vendor, 0x056A);
    EXPECT_EQ(ids.product, 0x0374);
    WORD vendor = 1;
    WORD product = 1;
    EXPECT_FALSE(GetTabletUsbIds(vendor, product, m_sysfs.Root()));
    EXPECT_EQ(vendor, 0x056A);
    EXPECT_EQ(CAboutDlg::TabletLine(m_sysfs.Root()), "Tablet " + LoadString(IDS_USB_PORT));
}

TEST_F(AboutTest, pen_is_known_by_its_name_when_keys_do_not_say)
{
    m_sysfs.AddInput("input9", "usb2/2-1", "Huion Tablet Stylus", "0", "256c", "006d");
    const TabletUsbIds ids = FindTabletUsbIds(m_sysfs.Root());
    EXPECT_EQ(ids.vendor, 0x256C);
    EXPECT_EQ(ids.product, 0x006D);
}

TEST_F(AboutTest, without_usb_pen_the_tablet_line_says_serial)
{
    // A USB keyboard, and a pen with no USB device above it.
    m_sysfs.AddInput("input3", "usb1/1-2", "USB Keyboard", kKeyboardKeys, "046d", "c31c");
    m_sysfs.AddInput("input5", "", "Serial Pen Digitizer", kPenKeys);
    WORD vendor = 1;
    WORD product = 1;
    EXPECT_TRUE(GetTabletUsbIds(vendor, product, m_sysfs.Root()));
    EXPECT_EQ(vendor, 0);
    EXPECT_EQ(product, 0);
    EXPECT_EQ(CAboutDlg::TabletLine(m_sysfs.Root()), "Tablet " + LoadString(IDS_SERIAL_PORT));
    EXPECT_EQ(FindTabletUsbIds(m_settings.path() + "/no-such-sysfs").vendor, 0);
}

TEST_F(AboutTest, bluetooth_and_i2c_pens_are_described_as_what_they_are)
{
    // A Bluetooth pen comes through uhid, with no USB device above it.
    m_sysfs.AddPen("input12", "event12", "virtual/misc/uhid/0005:056A:0377.0001", "Wacom Intuos BT S Pen", "0005",
                   "056a", "0377");
    EXPECT_EQ(CAboutDlg::TabletLine(m_sysfs.Root(), {}), "Tablet Connect with Bluetooth");
    const TabletDevice device = FindTabletDevice({}, m_sysfs.Root());
    EXPECT_EQ(device.bus, BUS_BLUETOOTH);
    EXPECT_EQ(device.vendor, 0x056A);
    EXPECT_EQ(device.product, 0x0377);
    EXPECT_EQ(device.name, "Wacom Intuos BT S Pen");

    // A screen's built-in pen sits on the I2C bus.
    FakeSysfs laptop;
    laptop.AddPen("input20", "event20", "pci0000:00/0000:00:15.1/i2c_designware.1/i2c-1/i2c-ELAN9008:00/"
                  "0018:04F3:2A1C.0002", "ELAN9008:00 04F3:2A1C Stylus", "0018", "04f3", "2a1c");
    EXPECT_EQ(CAboutDlg::TabletLine(laptop.Root(), {}), "Tablet Connect with I2C Bus");
}

TEST_F(AboutTest, the_pen_in_use_is_found_by_its_event_node_or_its_name)
{
    m_sysfs.AddPen("input7", "event7", "pci0000:00/usb1/1-4/1-4:1.0/0003:056A:0374.0003", "Wacom Intuos S Pen",
                   "0003", "056a", "0374");
    m_sysfs.AddPen("input12", "event12", "virtual/misc/uhid/0005:056A:0378.0001", "Wacom Intuos BT M Pen", "0005",
                   "056a", "0378");
    // The X server's driver adds the tool to the kernel's name.
    EXPECT_EQ(CAboutDlg::TabletLine(m_sysfs.Root(), {"Wacom Intuos BT M Pen stylus", ""}),
              "Tablet Connect with Bluetooth");
    EXPECT_EQ(CAboutDlg::TabletLine(m_sysfs.Root(), {"Wacom Intuos BT M Pen stylus", "/dev/input/event7"}),
              "Tablet Connect with USB Port");
    EXPECT_EQ(FindTabletDevice({"", "/dev/input/event12"}, m_sysfs.Root()).product, 0x0378);
    // Without a hint, the first pen in class/input's name order.
    EXPECT_EQ(FindTabletDevice({}, m_sysfs.Root()).product, 0x0378);
}

TEST_F(AboutTest, manager_name_comes_from_the_tablet_description_file)
{
    EXPECT_EQ(TabletManagerName(), "Tablet");
    WriteText(m_settings.path() + "/KSTTBL.ini", "[Name]\r\nManagerName=Bamboo Slate\r\n");
    EXPECT_EQ(TabletManagerName(), "Bamboo Slate");
    EXPECT_EQ(CAboutDlg::TabletLine(m_sysfs.Root()), "Bamboo Slate " + LoadString(IDS_SERIAL_PORT));
}

TEST_F(AboutTest, four_lines_name_titles_rights_version_and_tablet)
{
    WriteText(m_settings.path() + "/KSTTBL.ini", "[Name]\nManagerName=Pad\n");
    m_sysfs.AddInput("input7", "usb1/1-4", "Pen", kPenKeys, "056a", "0374");
    CAboutDlg dialog;
    dialog.SetSysfsRoot(m_sysfs.Root());
    const QStringList lines = dialog.TextLines();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "Inkleaf & Lumora");
    EXPECT_TRUE(lines[1].contains("Inkleaf developers")) << lines[1].toStdString();
    // The heading comes from the string table, a blank apart from the notice.
    EXPECT_FALSE(LoadString(IDS_RIGHTS_HEADING).isEmpty());
    EXPECT_TRUE(lines[1].startsWith(LoadString(IDS_RIGHTS_HEADING) + " \u00A9")) << lines[1].toStdString();
    EXPECT_EQ(lines[2], LoadString(IDS_VERSION) + " 2.60.00");
    EXPECT_EQ(lines[3], "Pad " + LoadString(IDS_USB_PORT));
}

TEST_F(AboutTest, box_takes_the_logo_size_for_either_logo)
{
    for (const int setting : {0, 5}) {
        WriteLogoSetting(setting);
        QWidget parent;
        parent.resize(800, 600);
        CAboutDlg dialog(&parent);
        dialog.resize(50, 40);
        dialog.show();
        EXPECT_EQ(dialog.size(), QSize(320, 200)) << setting;
        EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
        dialog.close();
    }
    EXPECT_EQ(CAboutDlg::LogoFor(0), 391u);
    EXPECT_EQ(CAboutDlg::LogoFor(5), 393u);
}

TEST_F(AboutTest, the_two_logos_are_drawn_and_differ)
{
    const QImage plain = CAboutDlg::LogoImage(391);
    const QImage logo = CAboutDlg::LogoImage(393);
    EXPECT_EQ(plain.size(), QSize(320, 200));
    EXPECT_EQ(logo.size(), QSize(320, 200));
    EXPECT_NE(plain, logo);
    // More than a flat fill: the word mark and the stroke put dark ink on the paper.
    int dark = 0;
    for (int y = 0; y < logo.height(); ++y)
        for (int x = 0; x < logo.width(); ++x)
            dark += qGray(logo.pixel(x, y)) < 100;
    EXPECT_GT(dark, 300);
}

TEST_F(AboutTest, click_with_missing_manual_says_so_and_closes)
{
    ScriptedPrompts prompts;
    QTemporaryDir program;
    CAboutDlg dialog;
    dialog.SetHelpFolder(program.path());
    int opened = 0;
    dialog.SetDocumentOpener([&](const QUrl&) { return ++opened, true; });
    dialog.show();
    QTest::mouseClick(&dialog, Qt::LeftButton, {}, QPoint(160, 100));
    EXPECT_EQ(opened, 0);
    ASSERT_EQ(prompts.Messages().size(), 1u);
    EXPECT_TRUE(prompts.Messages()[0].text.contains(program.path() + "/help.pdf"));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(AboutTest, click_opens_the_manual_with_the_desktop_viewer)
{
    ScriptedPrompts prompts;
    QTemporaryDir program;
    WriteText(program.path() + "/help.pdf", "%PDF-1.4\n");
    CAboutDlg dialog;
    dialog.SetHelpFolder(program.path());
    QList<QUrl> opened;
    dialog.SetDocumentOpener([&](const QUrl& url) { return opened << url, true; });
    dialog.show();
    QTest::mouseClick(&dialog, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(opened.isEmpty());
    QTest::mouseClick(&dialog, Qt::LeftButton, {}, QPoint(300, 190));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(program.path() + "/help.pdf"));
    EXPECT_TRUE(prompts.Messages().empty());
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(AboutTest, viewer_that_cannot_start_is_reported)
{
    ScriptedPrompts prompts;
    QTemporaryDir program;
    WriteText(program.path() + "/help.pdf", "%PDF-1.4\n");
    CAboutDlg dialog;
    dialog.SetHelpFolder(program.path());
    dialog.SetDocumentOpener([](const QUrl&) { return false; });
    EXPECT_FALSE(dialog.WinHelp(0, 2));  // not the context-help command: nothing happens
    EXPECT_TRUE(prompts.Messages().empty());
    EXPECT_FALSE(dialog.WinHelp(0, CAboutDlg::HELP_CONTEXT));
    EXPECT_EQ(prompts.Messages().size(), 1u);
}

}  // namespace
