#include "Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>

namespace seiran {

void PutPictureOnClipboard(const QImage& picture)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setImage(picture);
}

} // namespace seiran
