// The four pictures of the status icon: 0 envelope, 1 red prohibition sign,
// 2 green check mark, 3 hourglass. Drawn here so they look the same everywhere.
#pragma once

#include <QPixmap>

namespace zelvon {

inline constexpr int kPictureEnvelope = 0;
inline constexpr int kPictureProhibited = 1;
inline constexpr int kPictureCheckMark = 2;
inline constexpr int kPictureHourglass = 3;

QPixmap StatusPicture(int index, int size = 24);

}  // namespace zelvon
