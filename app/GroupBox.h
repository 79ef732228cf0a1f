// The group box of the program's dialogs.
#pragma once

#include "platform/Metrics.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QPainter>

// A group box in the classic manner: an etched frame whose top line runs
// through the middle of the centred caption.
class CGroupBox : public QGroupBox
{
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent* /*pEvent*/) override
    {
        QPainter painter(this);
        const QFontMetrics metrics(font());
        const QRect frame = rect().adjusted(0, metrics.height() / 2, -2, -2);
        painter.setPen(QColor(Metrics::kControlBorder));
        painter.drawRect(frame);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawRect(frame.translated(1, 1));
        const int textWidth = metrics.horizontalAdvance(title());
        QRect textRect((width() - textWidth) / 2 - 2, 0, textWidth + 4, metrics.height());
        painter.fillRect(textRect, palette().color(QPalette::Window));
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(textRect, Qt::AlignCenter, title());
    }
};
