#pragma once
#include <QIcon>
#include <QPixmap>

// The client's pictures, drawn in code so that no binary art lives in the tree.
QPixmap splashPicture(const QSize& size);
QIcon appIcon();
// Button glyphs: "power", "record", "stop", "folder", "list", "upload", "delete".
QIcon glyph(const QString& name);
