// The layouts are given in twips: 15 to the pixel at 96 dots per inch.
#pragma once

#include <QRect>

inline QRect twips(int left, int top, int width, int height)
{
    return QRect(qRound(left / 15.0), qRound(top / 15.0), qRound(width / 15.0), qRound(height / 15.0));
}
