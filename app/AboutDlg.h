// The About box.
#pragma once

#include <QDialog>

class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* pParent = nullptr);
};

// The About box's texts.
inline constexpr char kAboutDescription[] = "Matrix and vector calculator";
inline constexpr char kAboutVersion[] = "Quindle Version 1.0";
