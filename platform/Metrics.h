// The look of the program: dialog units, window metrics, colours and fonts,
// fixed so that the windows look the same on every desktop.
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>

class QWidget;

namespace Metrics
{
// Dialog base units of the classic 8-point dialog font at 96 dpi.
inline constexpr int kBaseUnitX = 6;
inline constexpr int kBaseUnitY = 13;

// Pixels of an object window's frame around its client area: a 3-pixel frame
// and a 2-pixel client edge on each side, and a 19-pixel caption.
inline constexpr int kFrameExtraWidth = 10;
inline constexpr int kFrameExtraHeight = 29;

// Thickness of every scroll bar.
inline constexpr int kScrollBarExtent = 16;

// Colours that stand out enough against what is around them: the border of
// an edit field (5.5:1 on the button face, 3.2:1 on a selected view's
// background) and the background of selected text (5.2:1 under white text).
inline constexpr QRgb kEditBorder = qRgb(0x5f, 0x5f, 0x5f);
inline constexpr QRgb kTextHighlight = qRgb(0x20, 0x70, 0xb0);
// The border of buttons, drop-down lists, the object list and group frames:
// 3.5:1 on the button face, 3.9:1 on white.
inline constexpr QRgb kControlBorder = qRgb(0x80, 0x80, 0x80);

// Colours of a selected object view.
inline constexpr QRgb kSelectedBackground = qRgb(0, 200, 250);
inline constexpr QRgb kSelectedLabelBrush = qRgb(0, 100, 120);

// Horizontal and vertical dialog units to pixels, halves away from zero.
int DluToPixelsX(int nDlu);
int DluToPixelsY(int nDlu);
// A dialog-unit rectangle (x, y, width, height) in pixels.
QRect DluRect(int x, int y, int w, int h);

// The 8-point dialog font: the platform's default sans-serif face.
QFont DialogFont();
// The cells' font: pixel height LOGPIXELSY x 8 / 72 (integer division) for
// the given vertical dots per inch, weight 500.
QFont CellFont(int nLogPixelsY);

// The button-face colour of the program's palette.
QColor ButtonFace();

// Fusion with 16-pixel scroll bars for the whole application, the dialog
// font, and the application's icon. Needs the QApplication.
void ApplyApplicationLook();
} // namespace Metrics
