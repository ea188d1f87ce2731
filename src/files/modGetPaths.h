#pragma once

#include <QString>
#include <cstdint>

// Where the desktop keeps a user's files.
namespace modGetPaths {

constexpr std::int32_t ApplicationDataFolder = 26;
constexpr std::int32_t DocumentsFolder = 5;

// The folder's path without a trailing separator; empty for a folder number it does not know.
QString GetSpecialFolderPath(std::int32_t folder);

// Where file dialogs open: the documents folder, or the home folder when there is none (a
// dialog given a folder that does not exist offers its name as a file name).
QString fileDialogFolder();

// Creates every missing level of the path; a level that exists already is passed over.
// Throws std::runtime_error, naming the folder, when one cannot be made.
void CreateFolderPath(const QString &path);

} // namespace modGetPaths
