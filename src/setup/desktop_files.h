// The texts the installer writes for the desktop: desktop entries for the
// four menu items, the menu folder that groups them, the MIME type of
// project files, and the default-application line of mimeapps.list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvolin::setup {

// File names below the XDG folders. All carry the vendor prefix so that
// they cannot collide with another program's files.
inline constexpr std::string_view kStudioEntry = "halvergen-tarvolin.desktop";
inline constexpr std::string_view kGuideEntry = "halvergen-tarvolin-guide.desktop";
inline constexpr std::string_view kUninstallEntry = "halvergen-tarvolin-uninstall.desktop";
inline constexpr std::string_view kSamplesEntry = "halvergen-tarvolin-roms.desktop";
inline constexpr std::string_view kDirectoryFile = "halvergen-entertainment.directory";
inline constexpr std::string_view kMenuFile = "halvergen-entertainment.menu";
inline constexpr std::string_view kMimePackageFile = "halvergen-tarvolin.xml";
inline constexpr std::string_view kStudioIconName = "halvergen-tarvolin";
// The icon name the MIME type gets by default (its name with "/" as "-").
inline constexpr std::string_view kProjectIconName = "application-x-tarvolin-project";

struct DesktopEntry {
  std::string fileName;
  std::string name;
  std::string comment;
  std::string exec;  // the command in Exec quoting, see execArgument()
  std::string tryExec;  // the program whose absence hides the entry
  std::string icon;
  std::string workingFolder;
  std::string categories;
  std::string mimeType;
};

// One argument of an Exec command: quoted when it holds a reserved character,
// with '"', '`', '$' and '\' escaped inside the quotes and '%' doubled.
std::string execArgument(std::string_view argument);

// A value of type string, with the escapes the desktop-entry format defines.
std::string escapeEntryValue(std::string_view value);

// Whether a path can be written into desktop files and line lists: valid
// UTF-8 without control characters.
bool isDesktopSafePath(std::string_view path);

// The four items of the program group for an installation in `folder`, in
// menu order; `studioIcon` is the icon name or file of the studio. The
// guide's item opens the studio's own guide window ("--guide").
std::vector<DesktopEntry> programGroupEntries(const std::string& folder,
                                              const std::string& studioIcon);

// The studio's entry in a system package: the program is found on the PATH.
DesktopEntry packagedStudioEntry();
// The guide's entry a system package installs.
DesktopEntry packagedGuideEntry();

std::string desktopEntryText(const DesktopEntry& entry);
std::string directoryEntryText(const std::string& icon);
// The merged menu that places the entries, in order, in the menu folder.
std::string menuFileText(const std::vector<DesktopEntry>& entries);
std::string mimePackageText();

// mimeapps.list with `desktopId` as the first default application of `mime`
// (also listed among the added associations); every other line is kept.
std::string withDefaultApplication(std::string_view mimeapps, std::string_view mime,
                                   std::string_view desktopId);
// mimeapps.list with `desktopId` taken out of the lists of `mime`; a line
// left empty goes; every other line is kept.
std::string withoutDefaultApplication(std::string_view mimeapps, std::string_view mime,
                                      std::string_view desktopId);

}  // namespace tarvolin::setup
