#include "platform/MessageBox.h"

#include "platform/WindowRules.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <utility>

namespace
{
QPointer<QWidget>& Owner()
{
    static QPointer<QWidget> s_pOwner;
    return s_pOwner;
}

MessageBoxHook& Hook()
{
    static MessageBoxHook s_hook;
    return s_hook;
}
} // namespace

void SetMessageBoxOwner(QWidget* pOwner)
{
    Owner() = pOwner;
}

QWidget* MessageBoxOwner()
{
    return Owner().data();
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook)
{
    return std::exchange(Hook(), std::move(hook));
}

void AppMessageBox(const QString& text, MessageIcon icon)
{
    MessageBoxRecord record{text, QString::fromUtf8(kAppCaption), icon};
    if (Hook())
    {
        // Copy first: the hook may install another one.
        MessageBoxHook hook = Hook();
        hook(record);
        return;
    }

    QMessageBox box(Owner().data());
    box.setWindowTitle(record.caption);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    box.setIcon(icon == MessageIcon::Information ? QMessageBox::Information : QMessageBox::Warning);
    box.setStandardButtons(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    if (box.parentWidget())
        box.setWindowModality(Qt::WindowModal);
    KeepFromMinimising(&box);
    KeepFromMaximising(&box);
    box.exec();
}
