// The pictures of the toolbar: the seven 32 x 32 button pictures, each a
// small drawing over its word, and the two 34 x 34 frames of pBorder.
#pragma once

#include <QPixmap>
#include <QString>

#include "ui/frm_main.h"

namespace vmqt {

inline constexpr int kButtonPixels = 32;
inline constexpr int kFramePixels = 34;

// The picture of the button showing word (Paste, Index, Find, Prior, Next,
// Print or Clear; another word gets the word alone).
QPixmap buttonPicture(const QString& word, qreal devicePixelRatio = 1.0);

// The raised frame (white, with a dark grey right and bottom edge), the
// pressed frame (a flat dark grey square), or nothing.
QPixmap framePicture(ui::FramePicture picture, qreal devicePixelRatio = 1.0);

}  // namespace vmqt
