// The installer's and uninstaller's own texts and names: window titles,
// message captions, messages, the program group and its items.
#pragma once

#include <string_view>

namespace tarvolin::setup {

inline constexpr std::string_view kInstallerTitle = "Instalador de Tarvolin V1.0";
inline constexpr std::string_view kUninstallerTitle = "Tarvolin Uninstaller V1.2";
inline constexpr std::string_view kInstallCaption = "Instalar";
inline constexpr std::string_view kUninstallCaption = "Desinstalar";
inline constexpr std::string_view kBrowseTitle = "Carpeta de Instalación";

inline constexpr std::string_view kOldSettingsQuestion =
    "Se detectó un archivo de configuración de Tarvolin anterior - ¿eliminarlo? (¡se recomienda!)";
inline constexpr std::string_view kCopyFailed = "¡Fállo al copiar archivo!";
inline constexpr std::string_view kGroupFailed = "¡Fállo al agregar grupo de programas!";
inline constexpr std::string_view kAssociationFailed = "¡Fállo al agregar extensión en el registro!";
inline constexpr std::string_view kInstallComplete = "¡Instalación Completa!";

inline constexpr std::string_view kUnregisterFailed = "¡Fállo al eliminar del registro!";
inline constexpr std::string_view kUngroupFailed = "¡Fállo al eliminar el grupo de programas!";
inline constexpr std::string_view kUninstallComplete =
    "Desinstalación Completa - gracias por probar Tarvolin";
inline constexpr std::string_view kUninstallFailed = "¡Fállo al eliminar aplicación!";
inline constexpr std::string_view kUninstallWarning =
    "Atención: desinstalar Tarvolin elimina todos los guiones y proyectos de la carpeta de "
    "instalación. Haga una copia de lo que quiera conservar antes de continuar.";

// The program group and its four items, in menu order.
inline constexpr std::string_view kGroupName = "Halvergen Entertainment";
inline constexpr std::string_view kProductName = "Tarvolin";
inline constexpr std::string_view kGuideTitle = "Guía de Usuario";
inline constexpr std::string_view kUninstallTitle = "Desinstalar";
inline constexpr std::string_view kSamplesTitle = "Tarvolin GBA ROMs";

// The project-file association.
inline constexpr std::string_view kProjectExtension = ".tvp";
inline constexpr std::string_view kProjectMimeType = "application/x-tarvolin-project";
inline constexpr std::string_view kProjectTypeName = "Tarvolin Project File";

// Files and folders of the installed tree.
inline constexpr std::string_view kInstallFolderName = "Install";
inline constexpr std::string_view kFileListName = "filelist.lst";
// What the installer wrote outside the installation folder (desktop entries,
// the MIME type, icons, the default-application line) and the folders of the
// installation path it created.
inline constexpr std::string_view kDesktopListName = "desktop_files.lst";
inline constexpr std::string_view kStudioProgram = "TarvolinStudio";
inline constexpr std::string_view kUninstallProgram = "Uninstall";
inline constexpr std::string_view kGuideFolder = "UserGuide";
inline constexpr std::string_view kSamplesFolder = "Sample_ROMs";
inline constexpr std::string_view kStudioIconFile = "icons/tarvolin.svg";
// The studio's settings file looked for in the installation folder (any case).
inline constexpr std::string_view kOldSettingsName = "settings.txt";

}  // namespace tarvolin::setup
