#include "app/AboutDlg.h"

#include "app/HelpWindow.h"
#include "platform/Metrics.h"
#include "platform/WindowRules.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* pParent)
    : QDialog(pParent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("About Quindle"));
    KeepFromMinimising(this);
    KeepFromMaximising(this);
    setFixedSize(Metrics::DluToPixelsX(217), Metrics::DluToPixelsY(55));

    auto* pIcon = new QLabel(this);
    pIcon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    pIcon->setGeometry(QRect(Metrics::DluRect(11, 15, 20, 20).topLeft(), QSize(32, 32)));

    auto* pVersion = new QLabel(QString::fromUtf8(kAboutVersion), this);
    pVersion->setTextFormat(Qt::PlainText);
    pVersion->setGeometry(Metrics::DluRect(40, 13, 119, 8));

    auto* pDescription = new QLabel(QString::fromUtf8(kAboutDescription), this);
    pDescription->setTextFormat(Qt::PlainText);
    pDescription->setWordWrap(true);
    pDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    pDescription->setGeometry(Metrics::DluRect(40, 21, 63, 21));

    auto* pOk = new QPushButton(QStringLiteral("OK"), this);
    pOk->setDefault(true);
    pOk->setGeometry(Metrics::DluRect(178, 7, 32, 14));
    connect(pOk, &QPushButton::clicked, this, &QDialog::accept);
    pOk->setFocus();
    AddHelpKey(this);
}
