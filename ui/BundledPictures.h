#pragma once

#include <QString>
#include <QStringList>

// The ink pictures that come with the program. They are compiled into it, so
// a picture folder made from the window gets them wherever the program was
// installed or built, as the set-up script gives them to a new data folder.
QStringList BundledPictureNames();

// Makes `folder` (with its parents) and copies the bundled pictures into it;
// a file already there is kept. The number of pictures copied, or -1 when
// the folder cannot be made.
int CopyBundledPictures(const QString &folder);

// What the window says after it made the data folder `folder`, `pictures`
// being what CopyBundledPictures answered.
QString DataFolderCreatedMessage(const QString &folder, int pictures);
