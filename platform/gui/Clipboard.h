#pragma once

class QImage;

namespace seiran {

// Empties the clipboard and puts a picture on it (the graph copies).
void PutPictureOnClipboard(const QImage& picture);

} // namespace seiran
