#pragma once
// The about box of the "&About" menu: name and version of the program.

#include <QDialog>

class QLabel;
class QPushButton;

namespace neva {

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QPushButton* cmdOK = nullptr;
};

}  // namespace neva
