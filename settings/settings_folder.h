#pragma once
// The settings folder "PT-36Temp" in the user's documents folder.
//
// The documents folder comes from a provider function, so this module needs no
// window toolkit: the application installs one built on the toolkit's standard
// paths, tests install one that names a temporary folder. Without an installed
// provider, DefaultDocumentsFolder() is used. All calls are meant for the
// user-interface thread; the provider is not guarded against concurrent change.
// Paths are text in the system's encoding: UTF-8 on Windows (turned into wide
// names at every file call), the bytes as they are elsewhere.

#include <functional>
#include <string>

namespace vk47 {

// The separator of this platform's paths: '\\' on Windows, '/' elsewhere.
#if defined(_WIN32)
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

inline constexpr const char* kSettingsFolderName = "PT-36Temp";

using DocumentsProvider = std::function<std::string()>;

// Installs the provider asked by DocumentsFolderPath; an empty function
// restores the default.
void SetDocumentsFolderProvider(DocumentsProvider provider);

// The documents folder, never empty; the window and the tools both use it.
// POSIX: XDG_DOCUMENTS_DIR in user-dirs.dirs ("$HOME" expanded, so a localised
// name such as ~/ドキュメント is found), else $HOME/Documents, whether or not
// it exists yet ($HOME from the password entry when unset; "." without one).
// Root run with another account's HOME takes XDG_DOCUMENTS_DIR only when that
// folder (or, while it is missing, the nearest folder above it) belongs to
// the HOME's owner; otherwise $HOME/Documents.
// Windows: the shell's Documents folder (asked with the wide call), else
// %USERPROFILE%\Documents, else ".".
std::string DefaultDocumentsFolder();

// The user's documents folder, asked from the provider afresh on every call.
// A provider that answers with an empty string is overruled by
// DefaultDocumentsFolder(), so the settings folder never lands in the root
// folder or the current folder by accident.
std::string DocumentsFolderPath();

// Joins a documents folder and "PT-36Temp" with exactly one separator and a
// trailing one: "/home/a" and "/home/a/" both give "/home/a/PT-36Temp/",
// "/" gives "/PT-36Temp/". On Windows "/" separates too, and the separator
// the path uses is kept: "C:/Users/a/Documents" gives
// "C:/Users/a/Documents/PT-36Temp/", "C:\Users\a" gives "C:\Users\a\PT-36Temp\".
// Creates nothing.
std::string SettingsFolderPathFor(const std::string& documents_folder);

// SettingsFolderPathFor(DocumentsFolderPath()), after creating that folder and
// its missing parents. A failure to create is not reported: reading then
// yields the defaults and writing reports the file it could not write.
std::string SettingsFolderPath();

// True when `path` names an existing directory (symbolic links followed).
bool FolderExists(const std::string& path);

// Creates `path` and its missing parents, walking up only to the first
// existing ancestor, each with CreateFolder (model/file_io.h): no link is
// followed that a write would not follow, and a folder that root creates in
// another account's folder (root run with a pupil's HOME) belongs to that
// account, so that the pupil can still save there. Returns true when the
// folder exists afterwards; false when something (a file in the way, missing
// permission, a link that may not be followed) stops it. One trailing
// separator is ignored. An empty path throws SettingsError
// "ディレクトリを作成することができません".
bool CreateFolderChain(const std::string& path);

}  // namespace vk47
