// Every text the Windows setup shows: German and English side by side, as
// the rest of the product writes them. %ls marks where a path goes.
#pragma once

namespace gm::setup::text {

inline constexpr const wchar_t* kCaption = L"Glintmoor Setup / Installation";
inline constexpr const wchar_t* kUninstallCaption = L"Glintmoor entfernen / Uninstall";

inline constexpr const wchar_t* kAskInstall =
    L"Den Bildschirmschoner Glintmoor installieren und als Bildschirmschoner "
    L"einstellen?\n\nInstall the Glintmoor screen saver and make it the active one?";
inline constexpr const wchar_t* kAskRepair =
    L"Glintmoor ist schon installiert:\n%ls\n\nNeu installieren bzw. aktualisieren?\n\n"
    L"Glintmoor is installed already. Repair or upgrade it?";
inline constexpr const wchar_t* kAskUserFolder =
    L"In den Systemordner darf nur ein Administrator schreiben. Glintmoor für Sie "
    L"allein installieren, in\n%ls ?\n\nJa: dorthin, Nein: einen anderen Ordner "
    L"wählen.\n\nOnly an administrator may write to the system folder. Install Glintmoor "
    L"for you alone, into the folder above?\n\nYes: there, No: choose another folder.";
inline constexpr const wchar_t* kBrowseTitle =
    L"Ordner für Glintmoor.scr wählen / Choose the folder for Glintmoor.scr";
inline constexpr const wchar_t* kInstalled =
    L"Glintmoor ist installiert und als Bildschirmschoner eingestellt:\n%ls\n\n"
    L"Die Einstellungen für Bildschirmschoner jetzt öffnen?\n\n"
    L"Glintmoor is installed and set as the screen saver. Open the screen saver settings now?";
inline constexpr const wchar_t* kMissingFile =
    L"Die Datei fehlt im Installationspaket:\n%ls\n\nThe setup package lacks this file.";
inline constexpr const wchar_t* kCannotWrite =
    L"Die Datei kann nicht geschrieben werden:\n%ls\n\nThe file cannot be written.";
inline constexpr const wchar_t* kUsage =
    L"setup [/silent] [/dir:Ordner]\nsetup /uninstall [/silent] [/removesettings]\n\n"
    L"/silent: ohne Fragen, Exit-Status 0 = installiert / without questions, exit status "
    L"0 = done\n/dir: in diesen Ordner statt in den Systemordner / into this folder instead "
    L"of the system folder";

inline constexpr const wchar_t* kAskUninstall = L"Glintmoor entfernen?\n%ls\n\nRemove Glintmoor?";
inline constexpr const wchar_t* kAskRemoveSettings =
    L"Auch Ihre Einstellungen für Glintmoor löschen?\n\nRemove your Glintmoor settings too?";
inline constexpr const wchar_t* kNotInstalled =
    L"Glintmoor ist nicht installiert.\n\nGlintmoor is not installed.";
inline constexpr const wchar_t* kUninstalled = L"Glintmoor ist entfernt.\n\nGlintmoor is removed.";
inline constexpr const wchar_t* kCannotRemove =
    L"Die Datei kann nicht gelöscht werden (läuft der Bildschirmschoner?):\n%ls\n\n"
    L"The file cannot be removed (is the screen saver running?).";

}  // namespace gm::setup::text
