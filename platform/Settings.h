#pragma once
// Every key of the settings file KSTPVX.ini, with its section, type and default, and where the
// settings files live. Code reads and writes settings only through these definitions, so no key
// is spelt twice.
//
// The files sit next to the program when its folder is writable (a build folder or a portable
// copy), and in the user's configuration folder ($XDG_CONFIG_HOME/inkleaf, else
// ~/.config/inkleaf) when it is not or when the program is installed (it has a data folder,
// see InstalledDataFolder).

#include "ColorRef.h"

#include <QString>

#include <climits>

struct IntSetting {
    const char* section;
    const char* key;
    int defaultValue;
    int minimum = INT_MIN;  // values below it would break the program and read as the default
};

struct TextSetting {
    const char* section;
    const char* key;
    const char* defaultValue;
    int bufferSize;  // characters read, the terminating one included
};

namespace Settings {

// Section "COLOR": COLORREF values as decimal numbers.
inline constexpr IntSetting PenColor{"COLOR", "PENCOLOR", 0x800000};   // ink of new strokes
inline constexpr IntSetting BackColor{"COLOR", "BKCOLOR", 0xCCE2E5};   // page background
inline constexpr IntSetting LineColor{"COLOR", "LINECOLOR", 0xACC0C5}; // ruled lines
inline constexpr int kColorBlocks = 12;
// The palette's colour swatch 0..11, "COLORBLOCK%d".
IntSetting ColorBlock(int index);

// Distance between ruled lines in page pixels; 0 or less would rule lines for ever.
inline constexpr IntSetting LineHeight{"LineHeight", "LINEHEIGHT", 90, 1};

// A "1" anywhere in the text turns on the alternative user interface.
inline constexpr TextSetting NewInterface{"UI", "New", "", 16};
// The last dated note name, such as 03062006-4.
inline constexpr TextSetting RecordDate{"Record", "Date", "", 16};
// 1 drops implausible pen jumps while importing device files; any other value keeps them.
inline constexpr IntSetting DeviceFilterOn{"QVN", "filteron", 1};
// The About box's picture: non-zero the logo, 0 the plain one. The box lays itself out with
// default 1 and paints with default 0.
inline constexpr IntSetting AboutLogoForLayout{"SETTING", "KESTROLOGO", 1};
inline constexpr IntSetting AboutLogoForPaint{"SETTING", "KESTROLOGO", 0};

// 1: without a tablet the mouse writes like a pen at half pressure; off unless the user asks.
inline constexpr IntSetting MousePen{"TABLET", "MOUSEPEN", 0};

// Inking mode: the window classes (WM_CLASS instance or class, any case, separated by commas)
// of office programs, which take pencil ink and marker ink as two pictures.
inline constexpr TextSetting OfficePrograms{
    "INKING", "OFFICE",
    "libreoffice,soffice,libreoffice-writer,libreoffice-calc,libreoffice-impress,libreoffice-draw,abiword,gnumeric,"
    "calligrawords,calligrasheets,calligrastage,onlyoffice,desktopeditors",
    1024};

// The tablet driver's description file, read only.
inline constexpr TextSetting TabletManagerName{"Name", "ManagerName", "Tablet", 128};

}  // namespace Settings

// The diagnostic report of the last device-file import. Its keys end in one blank.
namespace Report {
inline constexpr const char* FileSection = "Tavlo File";
inline constexpr const char* FileSize = "QVN File Size ";
inline constexpr const char* HeaderSection = "Tavlo File Header";
inline constexpr const char* IdentifierName = "Identifier Name ";
inline constexpr const char* OriginPoint = "Origin Point ";
inline constexpr const char* HeaderFormatVersion = "Header Format Version ";
inline constexpr const char* FileHeaderSize = "File Header Size ";
inline constexpr const char* ProductSection = "Product";
inline constexpr const char* ModelCode = "Model Code ";
inline constexpr const char* OdmCode = "ODM Code ";
inline constexpr const char* ActiveAreaX = "Active Area X ";
inline constexpr const char* ActiveAreaY = "Active Area Y ";
inline constexpr const char* Maximum = "Maximum ";
inline constexpr const char* PacketSection = "Tavlo File Packet Number";
inline constexpr const char* PacketCount = "Data Packets Count ";
}  // namespace Report

// The folder of the running program, without a trailing separator.
QString GetProgramFolder();

// The data folder of an installed program: "share/inkleaf" beside its bin folder
// ("/usr/bin" gives "/usr/share/inkleaf"), wherever the prefix was unpacked. Empty when there
// is none, as for a program run from its build folder.
QString InstalledDataFolder(const QString& programFolder = GetProgramFolder());
// A file that ships with the program (help.pdf, IlfRes.rcc): beside the program, else in its
// installed data folder, else under "inkleaf/" in the XDG data folders ($XDG_DATA_HOME, then
// $XDG_DATA_DIRS). Empty when none has it.
QString FindProgramFile(const QString& name, const QString& programFolder = GetProgramFolder());

// Where the settings files go: the program folder when programFolderWritable, else the user's
// configuration folder from xdgConfigHome, else from home.
QString ChooseSettingsFolder(const QString& programFolder, bool programFolderWritable,
                             const QString& xdgConfigHome, const QString& home);
// Where the settings of the program in programFolder go: beside it when it can write there and
// is not installed, else the user's configuration folder ($XDG_CONFIG_HOME, $HOME).
QString SettingsFolderFor(const QString& programFolder);
// The folder chosen for this run (decided once).
QString SettingsFolder();
// Puts the settings files in folder from now on (a command-line choice, and tests).
void OverrideSettingsFolder(const QString& folder);

QString SettingsFilePath();         // KSTPVX.ini
QString ReportFilePath();           // Tavlo01.ini
QString TabletDescriptionPath();    // KSTTBL.ini

int ReadSetting(const IntSetting& setting, const QString& file = SettingsFilePath());
QString ReadSetting(const TextSetting& setting, const QString& file = SettingsFilePath());
COLORREF ReadColorSetting(const IntSetting& setting, const QString& file = SettingsFilePath());
// Writes the value as signed decimal text; creates the folder and file when missing.
bool WriteSetting(const IntSetting& setting, int value, const QString& file = SettingsFilePath());
bool WriteSetting(const TextSetting& setting, const QString& value, const QString& file = SettingsFilePath());
