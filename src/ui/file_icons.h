#pragma once
// Small icons for folders and for files by their name's extension.

#include <QIcon>
#include <QString>

namespace lazarine::ui {

QIcon folderIcon();
QIcon fileIconForName(const QString& name);

}  // namespace lazarine::ui
