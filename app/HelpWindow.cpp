#include "app/HelpWindow.h"

#include "platform/AccessibleWidget.h"

#include <QAccessibleWidget>
#include <QFile>
#include <QKeySequence>
#include <QPointer>
#include <QShortcut>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextLayout>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace
{
constexpr char kHelpPage[] = ":/help/help.html";
constexpr char kHelpTitle[] = "Quindle Help";
constexpr char kHelpMissing[] = "<p>The help page is not available.</p>";

constexpr char kHelpObjectName[] = "QuindleHelp";

// The help's browser. The toolkit moves its selection to the link that Tab
// (or Shift+Tab) reaches silently: this browser tells screen readers that the
// focus is on that link. A link followed within the page moves the text
// cursor to its target.
class CHelpBrowser : public QTextBrowser
{
public:
    CHelpBrowser()
    {
        // Leaving a link, the focus is the page's again: said before the
        // text cursor's move is, so that screen readers read on in the page.
        connect(this, &QTextEdit::cursorPositionChanged, this,
                [this]
                {
                    if (!m_bOnLink || !QAccessible::isActive())
                        return;
                    m_bOnLink = false;
                    QAccessibleEvent event(this, QAccessible::Focus);
                    QAccessible::updateAccessibility(&event);
                });
    }

protected:
    // A link followed within the page puts the text cursor at its target,
    // where the arrows and screen readers go on reading.
    void doSetSource(const QUrl& url, QTextDocument::ResourceType type) override
    {
        QTextBrowser::doSetSource(url, type);
        if (!url.hasFragment())
            return;
        const QString name = url.fragment();
        // Where the toolkit scrolls to: a block or a fragment named so.
        for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        {
            int nPosition = block.charFormat().anchorNames().contains(name) ? block.position() : -1;
            for (auto it = block.begin(); nPosition < 0 && !it.atEnd(); ++it)
                if (it.fragment().charFormat().anchorNames().contains(name))
                    nPosition = it.fragment().position();
            if (nPosition >= 0)
            {
                QTextCursor cursor(document());
                cursor.setPosition(nPosition);
                setTextCursor(cursor);
                return;
            }
        }
    }

    bool focusNextPrevChild(bool bNext) override
    {
        const bool bMoved = QTextBrowser::focusNextPrevChild(bNext);
        if (bMoved && hasFocus() && QAccessible::isActive())
            TellFocusedLink();
        return bMoved;
    }

private:
    void TellFocusedLink();

    bool m_bOnLink = false;
};

// One link of the help page: its text is its name; it has the focus while
// the browser's selection is that link.
class CAccessibleHelpLink : public QAccessibleInterface
{
public:
    CAccessibleHelpLink(QTextBrowser* pBrowser, int nStart, int nEnd, QString text)
        : m_pBrowser(pBrowser), m_nStart(nStart), m_nEnd(nEnd), m_Text(std::move(text))
    {
    }

    bool isValid() const override { return m_pBrowser; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override
    {
        return m_pBrowser ? m_pBrowser->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_pBrowser.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text type) const override
    {
        return type == QAccessible::Name ? m_Text : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        if (!m_pBrowser)
            return QRect();
        QTextCursor cursor(m_pBrowser->document());
        cursor.setPosition(m_nStart);
        QRect rect = m_pBrowser->cursorRect(cursor);
        cursor.setPosition(m_nEnd);
        rect = rect.united(m_pBrowser->cursorRect(cursor));
        return QRect(m_pBrowser->viewport()->mapToGlobal(rect.topLeft()), rect.size());
    }
    QAccessible::Role role() const override { return QAccessible::Link; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.focusable = true;
        state.linked = true;
        state.readOnly = true;
        if (m_pBrowser)
        {
            const QTextCursor cursor = m_pBrowser->textCursor();
            state.focused = m_pBrowser->hasFocus() && cursor.selectionStart() == m_nStart &&
                            cursor.selectionEnd() == m_nEnd;
        }
        return state;
    }

private:
    QPointer<QTextBrowser> m_pBrowser;
    int m_nStart;
    int m_nEnd;
    QString m_Text;
};

// The links of a document, in order, each with the span of its text.
QList<CAccessibleHelpLink*> MakeLinks(QTextBrowser* pBrowser)
{
    QList<CAccessibleHelpLink*> links;
    int nStart = -1;
    int nEnd = -1;
    QString href;
    QString text;
    auto flush = [&]
    {
        if (nStart >= 0)
            links.append(new CAccessibleHelpLink(pBrowser, nStart, nEnd, text));
        nStart = -1;
    };
    const QTextDocument* pDocument = pBrowser->document();
    for (QTextBlock block = pDocument->begin(); block.isValid(); block = block.next())
    {
        for (auto it = block.begin(); !it.atEnd(); ++it)
        {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (!format.isAnchor() || format.anchorHref().isEmpty())
            {
                flush();
                continue;
            }
            // One link may be written in several fragments (bold within it).
            if (nStart < 0 || format.anchorHref() != href || fragment.position() != nEnd)
            {
                flush();
                nStart = fragment.position();
                href = format.anchorHref();
                text.clear();
            }
            nEnd = fragment.position() + fragment.length();
            text += fragment.text();
        }
        flush();
    }
    return links;
}

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

    // The links are the document's children.
    int childCount() const override { return int(Links().size()); }
    QAccessibleInterface* child(int nIndex) const override
    {
        const QList<CAccessibleHelpLink*>& links = Links();
        return nIndex >= 0 && nIndex < links.size() ? links.at(nIndex) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* pChild) const override
    {
        const QList<CAccessibleHelpLink*>& links = Links();
        for (int i = 0; i < links.size(); ++i)
            if (links.at(i) == pChild)
                return i;
        return -1;
    }
    QAccessibleInterface* focusChild() const override
    {
        for (CAccessibleHelpLink* pLink : Links())
            if (pLink->state().focused)
                return pLink;
        return QAccessibleWidget::focusChild();
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    // A line is a line as shown, not a paragraph.
    QString textAtOffset(int nOffset, QAccessible::TextBoundaryType type, int* pStart,
                         int* pEnd) const override
    {
        if (type == QAccessible::LineBoundary && ShownLine(nOffset, pStart, pEnd))
            return text(*pStart, *pEnd);
        return QAccessibleTextInterface::textAtOffset(nOffset, type, pStart, pEnd);
    }
    QString textBeforeOffset(int nOffset, QAccessible::TextBoundaryType type, int* pStart,
                             int* pEnd) const override
    {
        int nLineStart = 0;
        int nLineEnd = 0;
        if (type == QAccessible::LineBoundary && ShownLine(nOffset, &nLineStart, &nLineEnd) &&
            nLineStart > 0 && ShownLine(nLineStart - 1, pStart, pEnd))
            return text(*pStart, *pEnd);
        return QAccessibleTextInterface::textBeforeOffset(nOffset, type, pStart, pEnd);
    }
    QString textAfterOffset(int nOffset, QAccessible::TextBoundaryType type, int* pStart,
                            int* pEnd) const override
    {
        int nLineStart = 0;
        int nLineEnd = 0;
        if (type == QAccessible::LineBoundary && ShownLine(nOffset, &nLineStart, &nLineEnd) &&
            nLineEnd < characterCount() && ShownLine(nLineEnd + 1, pStart, pEnd))
            return text(*pStart, *pEnd);
        return QAccessibleTextInterface::textAfterOffset(nOffset, type, pStart, pEnd);
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

private:
    // The span of the shown line at the offset (without its line break);
    // false where the text is not laid out.
    bool ShownLine(int nOffset, int* pStart, int* pEnd) const
    {
        const QTextBlock block = Control()->document()->findBlock(nOffset);
        const QTextLayout* pLayout = block.isValid() ? block.layout() : nullptr;
        if (!pLayout || pLayout->lineCount() == 0)
            return false;
        const QTextLine line = pLayout->lineForTextPosition(nOffset - block.position());
        if (!line.isValid())
            return false;
        *pStart = block.position() + line.textStart();
        *pEnd = *pStart + line.textLength();
        return true;
    }

    // Made again when the page changes; each is deleted with the browser.
    const QList<CAccessibleHelpLink*>& Links() const
    {
        const int nRevision = Control()->document()->revision();
        if (nRevision != m_nLinksRevision || Control()->document() != m_pLinksDocument)
        {
            for (CAccessibleHelpLink* pLink : std::as_const(m_Links))
                QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(pLink));
            m_Links = MakeLinks(Control());
            m_nLinksRevision = nRevision;
            m_pLinksDocument = Control()->document();
            QList<QAccessible::Id> ids;
            for (CAccessibleHelpLink* pLink : std::as_const(m_Links))
                ids.append(QAccessible::uniqueId(pLink));
            QObject::disconnect(m_DeleteLinks);
            m_DeleteLinks = QObject::connect(Control(), &QObject::destroyed,
                                             [ids]
                                             {
                                                 for (QAccessible::Id id : ids)
                                                     QAccessible::deleteAccessibleInterface(id);
                                             });
        }
        return m_Links;
    }

    mutable QList<CAccessibleHelpLink*> m_Links;
    mutable int m_nLinksRevision = -1;
    mutable const QTextDocument* m_pLinksDocument = nullptr;
    mutable QMetaObject::Connection m_DeleteLinks;
};

void CHelpBrowser::TellFocusedLink()
{
    QAccessibleInterface* pPage = QAccessible::queryAccessibleInterface(this);
    QAccessibleInterface* pLink = pPage ? pPage->focusChild() : nullptr;
    const int nIndex = pLink ? pPage->indexOfChild(pLink) : -1;
    if (nIndex < 0)
        return;
    QAccessibleEvent event(this, QAccessible::Focus);
    event.setChild(nIndex);
    QAccessible::updateAccessibility(&event);
    m_bOnLink = true;
}

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
        pBrowser = new CHelpBrowser; // parentless; deletes itself when closed
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
        // The window is the browser: without this, the window is active but
        // nothing in it has the focus (keys reach it all the same), and
        // screen readers follow no focus into the page.
        pBrowser->setFocus(Qt::OtherFocusReason);
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
