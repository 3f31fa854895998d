#pragma once
// Icons over the compiled-in pictures: one drawing stored at several sizes, of which only
// the picture asked for is loaded. A screen of one device pixel to the point never pays
// for the larger pictures, and a window icon is loaded at a desktop's sizes only when the
// desktop asks for them.

#include <QIcon>
#include <QList>
#include <QSize>
#include <QString>

namespace bmi {

struct PictureAtSize {
    QSize size; // device pixels
    QString path;
};

// The picture at path, read now (Design.h's designPicture), with the same drawing at the
// other sizes, each read the first time it is the nearest to a size asked for.
QIcon pictureIcon(const QString& path, QList<PictureAtSize> others);

// Where the high-density variant of the picture at path is stored: the same drawing at
// twice the size, "@2x" before the suffix.
QString densePicturePath(const QString& path);

// The picture at path with its high-density variant.
QIcon densePictureIcon(const QString& path);

// The program's icon: the designed 32x32 picture, and the same drawing smoothed at the
// other sizes a desktop lists icons at.
QIcon programIcon();

} // namespace bmi
