#include "app/DialogTemplate.h"

#include "app/GroupBox.h"
#include "app/HelpWindow.h"
#include "platform/Metrics.h"
#include "platform/WindowRules.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>

#include <algorithm>

namespace
{
// The pixels below a drop-down box that its template gives to the list.
constexpr char kListHeightProperty[] = "quindleListHeight";

// Space presses a button, opens a drop-down list and brings the object
// list's window forward; with Ctrl, Alt or Meta it does none of these. Ctrl+Space selects an object
// in its window, and means nothing in a dialog.
class CModifiedSpaceFilter final : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject* /*pWatched*/, QEvent* pEvent) override
    {
        if (pEvent->type() != QEvent::KeyPress && pEvent->type() != QEvent::KeyRelease)
            return false;
        const auto* pKey = static_cast<const QKeyEvent*>(pEvent);
        return (pKey->key() == Qt::Key_Space || pKey->key() == Qt::Key_Select) &&
               (pKey->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    }
};

// Keeps the focus mark of a dialog's controls showing whenever the dialog
// shows or becomes active: Qt shows it only once the focus has moved by a
// key.
class CFocusShown final : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        if (pEvent->type() == QEvent::Show || pEvent->type() == QEvent::WindowActivate)
            static_cast<QWidget*>(pWatched)->setAttribute(Qt::WA_KeyboardFocusChange);
        return false;
    }
};

QWidget* CreateCombo(QDialog* pDialog, QRect& rect)
{
    auto* pCombo = new QComboBox(pDialog);
    pCombo->setFocusPolicy(Qt::StrongFocus);
    // The template's height includes the dropped-down list: the box keeps
    // its own height, and the list takes the rest (see FitDropDownList).
    pCombo->setProperty(kListHeightProperty, rect.height() - pCombo->sizeHint().height());
    rect.setHeight(pCombo->sizeHint().height());
    return pCombo;
}

QWidget* CreateButton(QDialog* pDialog, const SControlRow& row, EButtonFocus focus)
{
    auto* pButton = new QPushButton(row.text, pDialog);
    pButton->setObjectName(QStringLiteral("button") + QString(row.text).remove(QLatin1Char(' ')));
    pButton->setAutoDefault(false);
    pButton->setFocusPolicy(focus == EButtonFocus::Tab ? Qt::StrongFocus : Qt::ClickFocus);
    if (!row.description.isEmpty())
    {
        const QString description = row.keys.isEmpty() ? row.description
                                                       : row.description + QStringLiteral(" (") +
                                                             row.keys + QLatin1Char(')');
        pButton->setToolTip(description);
        pButton->setAccessibleDescription(description);
    }
    return pButton;
}

QWidget* CreateList(QDialog* pDialog)
{
    auto* pList = new QListWidget(pDialog);
    pList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    pList->setFocusPolicy(Qt::ClickFocus);
    pList->setUniformItemSizes(true);
    pList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pList->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return pList;
}

QWidget* CreateLabel(QDialog* pDialog, const QString& text, QRect& rect)
{
    auto* pLabel = new QLabel(text, pDialog);
    pLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    // A centred caption wider than its box grows about its centre, so that
    // the whole text shows in any font.
    const int textWidth = QFontMetrics(pDialog->font()).horizontalAdvance(text) + 2;
    if (textWidth > rect.width())
    {
        const QPoint centre = rect.center();
        rect.setWidth(textWidth);
        rect.moveCenter(QPoint(centre.x(), rect.center().y()));
    }
    return pLabel;
}
} // namespace

void SetUpFixedDialog(QDialog* pDialog, const char* pTitle, int nWidthDlu, int nHeightDlu)
{
    pDialog->setWindowTitle(QString::fromUtf8(pTitle));
    pDialog->setFont(Metrics::DialogFont());
    // Fixed size: no maximise button, and no resizing.
    pDialog->setFixedSize(Metrics::DluToPixelsX(nWidthDlu), Metrics::DluToPixelsY(nHeightDlu));
    KeepFromMinimising(pDialog);
    KeepFromMaximising(pDialog);
    AddHelpKey(pDialog);
    // The focus shows from the first moment, not only after the first Tab.
    pDialog->installEventFilter(new CFocusShown(pDialog)); // its child
}

QWidget* CreateControl(QDialog* pDialog, const SControlRow& row, EButtonFocus focus)
{
    QRect rect = Metrics::DluRect(row.x, row.y, row.w, row.h);
    QWidget* pControl = nullptr;
    switch (row.kind)
    {
    case EControlKind::Combo:
        pControl = CreateCombo(pDialog, rect);
        break;
    case EControlKind::Button:
        pControl = CreateButton(pDialog, row, focus);
        break;
    case EControlKind::List:
        pControl = CreateList(pDialog);
        break;
    case EControlKind::Label:
        pControl = CreateLabel(pDialog, row.text, rect);
        break;
    case EControlKind::Group:
    {
        auto* pGroup = new CGroupBox(row.text, pDialog);
        pGroup->setAlignment(Qt::AlignHCenter);
        pControl = pGroup;
        break;
    }
    }
    pControl->setGeometry(rect);
    if (row.kind == EControlKind::Button || row.kind == EControlKind::Combo ||
        row.kind == EControlKind::List)
        pControl->installEventFilter(new CModifiedSpaceFilter(pControl)); // its child
    if (row.kind == EControlKind::Group)
        pControl->lower(); // a frame behind the controls it groups
    return pControl;
}

void FitDropDownList(QComboBox* pCombo)
{
    const int nRowHeight = pCombo->fontMetrics().height() + 6;
    for (int k = 0; k < pCombo->count(); ++k)
        pCombo->setItemData(k, QSize(0, nRowHeight), Qt::SizeHintRole);
    const int nListHeight = pCombo->property(kListHeightProperty).toInt();
    pCombo->setMaxVisibleItems(std::max(1, nListHeight / nRowHeight));
}
