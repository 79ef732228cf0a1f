#include "platform/Metrics.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QImageReader>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>

namespace
{
// Rounds n / d to the nearest integer, halves away from zero (d > 0).
int RoundDiv(int n, int d)
{
    return n >= 0 ? (2 * n + d) / (2 * d) : -((-2 * n + d) / (2 * d));
}

// Fusion with the classic scroll-bar thickness.
class CQuindleStyle : public QProxyStyle
{
public:
    CQuindleStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

    int pixelMetric(PixelMetric metric, const QStyleOption* pOption,
                    const QWidget* pWidget) const override
    {
        if (metric == PM_ScrollBarExtent)
            return Metrics::kScrollBarExtent;
        return QProxyStyle::pixelMetric(metric, pOption, pWidget);
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* pOption, QPainter* pPainter,
                       const QWidget* pWidget) const override
    {
        // Fusion draws the borders of edit fields, buttons and drop-down
        // lists in the window colour made 40 % darker: these window colours
        // make them kEditBorder and kControlBorder.
        if (element == PE_FrameLineEdit && pOption)
        {
            DrawWithOutlineFrom(QColor(134, 134, 134), element, *pOption, pPainter, pWidget);
            return;
        }
        if (element == PE_PanelButtonCommand && pOption)
        {
            DrawWithOutlineFrom(QColor(180, 180, 180), element, *pOption, pPainter, pWidget);
            return;
        }
        QProxyStyle::drawPrimitive(element, pOption, pPainter, pWidget);
        // A list's frame, which Fusion draws lighter still, is drawn over.
        if (element == PE_Frame && pOption && qobject_cast<const QAbstractItemView*>(pWidget))
        {
            pPainter->save();
            pPainter->setPen(QColor(Metrics::kControlBorder));
            pPainter->setBrush(Qt::NoBrush);
            pPainter->drawRect(pOption->rect.adjusted(0, 0, -1, -1));
            pPainter->restore();
        }
    }

    void DrawWithOutlineFrom(const QColor& window, PrimitiveElement element,
                             const QStyleOption& original, QPainter* pPainter,
                             const QWidget* pWidget) const
    {
        // A button's own option keeps what Fusion reads of it (default, flat).
        if (const auto* pButton = qstyleoption_cast<const QStyleOptionButton*>(&original))
            DrawRecoloured(window, element, *pButton, pPainter, pWidget);
        else
            DrawRecoloured(window, element, original, pPainter, pWidget);
    }

    template <class Option>
    void DrawRecoloured(const QColor& window, PrimitiveElement element, const Option& original,
                        QPainter* pPainter, const QWidget* pWidget) const
    {
        Option option(original);
        option.palette.setColor(QPalette::Window, window);
        QProxyStyle::drawPrimitive(element, &option, pPainter, pWidget);
    }

    int styleHint(StyleHint hint, const QStyleOption* pOption, const QWidget* pWidget,
                  QStyleHintReturn* pReturn) const override
    {
        // Drop-down lists open below their box and scroll, showing as many
        // entries as their box's height allows, instead of a pop-up of
        // every entry around the current one.
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, pOption, pWidget, pReturn);
    }
};
} // namespace

// The program's compiled-in resources (icons, help page) live in a static
// library; registering them here keeps the linker from dropping them. Outside
// any namespace, as the resource's initialiser is a global function.
static void InitResources()
{
    Q_INIT_RESOURCE(quindle);
}

namespace Metrics
{
int DluToPixelsX(int nDlu)
{
    return RoundDiv(nDlu * kBaseUnitX, 4);
}

int DluToPixelsY(int nDlu)
{
    return RoundDiv(nDlu * kBaseUnitY, 8);
}

QRect DluRect(int x, int y, int w, int h)
{
    return QRect(DluToPixelsX(x), DluToPixelsY(y), DluToPixelsX(w), DluToPixelsY(h));
}

QFont DialogFont()
{
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

QFont CellFont(int nLogPixelsY)
{
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(nLogPixelsY * 8 / 72);
    font.setWeight(QFont::Medium);
    return font;
}

QColor ButtonFace()
{
    return QApplication::palette().color(QPalette::Button);
}

void ApplyApplicationLook()
{
    InitResources();
    auto* pStyle = new CQuindleStyle; // owned by the application
    QApplication::setStyle(pStyle);
    QPalette palette = pStyle->standardPalette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::Highlight, QColor(kTextHighlight));
    QApplication::setPalette(palette);
    QApplication::setFont(DialogFont());

    QIcon icon;
    if (QFile::exists(QStringLiteral(":/icons/quindle-32.png")))
        icon.addFile(QStringLiteral(":/icons/quindle-32.png"), QSize(32, 32));
    if (QFile::exists(QStringLiteral(":/icons/quindle.svg")) &&
        QImageReader::supportedImageFormats().contains("svg"))
        icon.addFile(QStringLiteral(":/icons/quindle.svg"));
    QApplication::setWindowIcon(icon);
}
} // namespace Metrics
