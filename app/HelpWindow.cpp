#include "app/HelpWindow.h"

#include "platform/AccessibleWidget.h"

#include <QAccessibleWidget>
#include <QFile>
#include <QKeySequence>
#include <QPointer>
#include <QShortcut>
#include <QTextBrowser>
#include <QTextCursor>
#include <QUrl>

#include <algorithm>

namespace
{
constexpr char kHelpPage[] = ":/help/help.html";
constexpr char kHelpTitle[] = "Quindle Help";
constexpr char kHelpMissing[] = "<p>The help page is not available.</p>";

constexpr char kHelpObjectName[] = "QuindleHelp";

// The help page as a document that screen readers read and move through,
// not the label the toolkit makes of a text browser.
class CAccessibleHelpPage
    : public CAccessibleWidgetWith<QTextBrowser, QAccessible::Document, QAccessibleTextInterface,
                                   QAccessible::TextInterface>
{
public:
    using CAccessibleWidgetWith::CAccessibleWidgetWith;

    QString text(QAccessible::Text type) const override
    {
        if (type == QAccessible::Name && widget()->accessibleName().isEmpty())
            return Control()->documentTitle();
        return QAccessibleWidget::text(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        state.selectableText = true;
        return state;
    }

    void selection(int nIndex, int* pStart, int* pEnd) const override
    {
        const QTextCursor cursor = Control()->textCursor();
        *pStart = *pEnd = 0;
        if (nIndex == 0 && cursor.hasSelection())
        {
            *pStart = cursor.selectionStart();
            *pEnd = cursor.selectionEnd();
        }
    }
    int selectionCount() const override { return Control()->textCursor().hasSelection() ? 1 : 0; }
    void addSelection(int nStart, int nEnd) override { setSelection(0, nStart, nEnd); }
    void removeSelection(int nIndex) override
    {
        if (nIndex != 0)
            return;
        QTextCursor cursor = Control()->textCursor();
        cursor.clearSelection();
        Control()->setTextCursor(cursor);
    }
    void setSelection(int nIndex, int nStart, int nEnd) override
    {
        if (nIndex != 0)
            return;
        QTextCursor cursor(Control()->document());
        cursor.setPosition(nStart);
        cursor.setPosition(nEnd, QTextCursor::KeepAnchor);
        Control()->setTextCursor(cursor);
    }
    int cursorPosition() const override { return Control()->textCursor().position(); }
    void setCursorPosition(int nPosition) override
    {
        QTextCursor cursor(Control()->document());
        cursor.setPosition(nPosition);
        Control()->setTextCursor(cursor);
    }
    QString text(int nStart, int nEnd) const override
    {
        if (nStart > nEnd)
            return QString();
        return Control()->document()->toPlainText().mid(nStart, nEnd - nStart);
    }
    int characterCount() const override { return Control()->document()->characterCount() - 1; }
    QRect characterRect(int nOffset) const override
    {
        QTextCursor cursor(Control()->document());
        cursor.setPosition(std::clamp(nOffset, 0, characterCount()));
        const QRect rect = Control()->cursorRect(cursor);
        return QRect(Control()->viewport()->mapToGlobal(rect.topLeft()), rect.size());
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        return Control()->cursorForPosition(Control()->viewport()->mapFromGlobal(point)).position();
    }
    void scrollToSubstring(int nStart, int nEnd) override
    {
        setSelection(0, nStart, nEnd);
        Control()->ensureCursorVisible();
    }
    QString attributes(int /*nOffset*/, int* pStart, int* pEnd) const override
    {
        *pStart = 0;
        *pEnd = characterCount();
        return QString();
    }
};

QAccessibleInterface* HelpPageFactory(const QString& strClass, QObject* pObject)
{
    if (strClass == QLatin1String("QTextBrowser") &&
        pObject->objectName() == QLatin1String(kHelpObjectName))
        return new CAccessibleHelpPage(static_cast<QTextBrowser*>(pObject));
    return nullptr;
}

QPointer<QTextBrowser>& HelpControl()
{
    static QPointer<QTextBrowser> s_pBrowser;
    return s_pBrowser;
}
} // namespace

void AddHelpKey(QWidget* pWindow)
{
    auto* pShortcut = new QShortcut(QKeySequence(Qt::Key_F1), pWindow); // child of the window
    pShortcut->setContext(Qt::WindowShortcut);
    QObject::connect(pShortcut, &QShortcut::activated, pWindow, [] { ShowHelp(); });
}

void ShowHelp()
{
    QPointer<QTextBrowser>& pBrowser = HelpControl();
    if (!pBrowser)
    {
        static const bool s_bFactory = []
        {
            QAccessible::installFactory(&HelpPageFactory);
            return true;
        }();
        (void)s_bFactory;
        pBrowser = new QTextBrowser; // parentless; deletes itself when closed
        pBrowser->setObjectName(QLatin1String(kHelpObjectName));
        // Tab goes from link to link (Enter follows one), the arrows move a
        // text cursor that screen readers follow, Page Down scrolls.
        pBrowser->setTextInteractionFlags(Qt::TextBrowserInteraction |
                                          Qt::TextSelectableByKeyboard);
        pBrowser->setAccessibleName(QString::fromUtf8(kHelpTitle));
        // An interface the toolkit made before the name was set gives way.
        QAccessibleInterface* pInterface = QAccessible::queryAccessibleInterface(pBrowser);
        if (pInterface && !dynamic_cast<CAccessibleHelpPage*>(pInterface))
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(pInterface));
        pBrowser->setAttribute(Qt::WA_DeleteOnClose);
        pBrowser->setWindowTitle(QString::fromUtf8(kHelpTitle));
        pBrowser->setOpenExternalLinks(false);
        pBrowser->resize(560, 640);
        AddHelpKey(pBrowser); // harmless there: brings the window forward
        auto* pEscape = new QShortcut(QKeySequence(Qt::Key_Escape), pBrowser); // its child
        pEscape->setContext(Qt::WindowShortcut);
        QObject::connect(pEscape, &QShortcut::activated, pBrowser, &QWidget::close);
        if (QFile::exists(QString::fromUtf8(kHelpPage)))
            pBrowser->setSource(QUrl(QStringLiteral("qrc") + QString::fromUtf8(kHelpPage)));
        else
            pBrowser->setHtml(QString::fromUtf8(kHelpMissing));
    }
    pBrowser->show();
    pBrowser->raise();
    pBrowser->activateWindow();
}

void CloseHelp()
{
    // Deleted at once: the program may be about to end its last event loop.
    delete HelpControl().data();
}

QWidget* HelpWindow()
{
    return HelpControl().data();
}
