#pragma once

#include <QImage>
#include <QStringList>

#include "render/Pictures.h"
#include "render/ThumbnailCache.h"

struct PictureCatalogue;

// The bitmap files of the picture folder ("*.bmp" in any letter case, hidden
// files left out), sorted without regard to case.
QStringList PictureFolderNames();

// Fills the catalogue from the picture folder: the empty name with the
// no-picture thumbnail first, then each file that loads, with its
// thumbnail at the same index. A file that does not load is left out and the
// names after it keep their own thumbnails. Thumbnails of pictures unchanged
// since the last start come from the cache file (see ThumbnailCache), so a
// start reads only the pictures that changed.
void LoadPictureCatalogue(PictureCatalogue &catalogue,
                          const QString &cacheFile = ThumbnailCache::defaultPath());
