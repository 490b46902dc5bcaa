#pragma once
// Where every state file lives: the folder named by KESTRIX_DIR when it is set, otherwise the
// folder of the executable. The window and kestrix-cli both ask here.

#include <QString>

#include <string_view>

namespace kestrix {

QString dataFolder();

// folder + "/" + file name (the name is Latin-1 text, as the program keeps it).
QString dataFilePath(const QString &folder, std::string_view fileName);

}  // namespace kestrix
