#include "ui/file_icons.h"

#include <QApplication>
#include <QHash>
#include <QMimeDatabase>
#include <QStyle>

namespace lazarine::ui {

QIcon folderIcon() { return QApplication::style()->standardIcon(QStyle::SP_DirIcon); }

QIcon fileIconForName(const QString& name) {
    // Looked up by extension only: the name belongs to a file on the scanned volume, not
    // to anything on this machine. One lookup per extension.
    static QHash<QString, QIcon> cache;
    qsizetype dot = name.lastIndexOf('.');
    QString ext = dot > 0 ? name.mid(dot + 1).toLower() : QString();
    auto it = cache.find(ext);
    if (it != cache.end()) return *it;
    QIcon fallback = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    QIcon icon = fallback;
    if (!ext.isEmpty()) {
        QMimeType mime = QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension);
        if (mime.isValid() && !mime.isDefault()) {
            icon = QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName(),
                                                                      fallback));
        }
    }
    cache.insert(ext, icon);
    return icon;
}

}  // namespace lazarine::ui
